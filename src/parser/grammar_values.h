// grammar_values.h - the kinds of semantic value a grammar symbol carries besides the scanner's own token
// record, named in the grammar's %union so that bison checks every $n against its symbol's kind.
// Included by the generated parser header; plain records only, copied by the parser's value stack.
#pragma once

#include <cstdint>
#include <type_traits>

#include "ast/ast.h"

// An expression rebuilt as text: its tokens in source order, and whether it is a bare value (a name, a
// call, CURRENT_DATE, SQL%FOUND ...) that a condition must compare with TRUE rather than a predicate.
struct ExprText {
  AstList* tokens;
  int32_t bare;
};
static_assert(std::is_trivially_copyable_v<ExprText>);

// A declaration section while it is read: its declarations kept in three groups (decl_actions.cpp).
struct DeclGroups;
