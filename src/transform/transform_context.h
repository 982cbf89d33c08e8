// transform_context.h - the walk's context and the operations every rewrite shares: the visit, the
// one name counter behind every generated label, datatype mapping and implicit declarations.
// Private to transform/; the driver sees only transform.h.
#pragma once

#include <cstdint>
#include <type_traits>

#include "ast/ast.h"
#include "diag/errors.h"
#include "diag/session.h"

// One row of the session's datatype map, split into words so it can be matched against type tokens.
// A row is split the first time a type's first word matches its own: most rows are only ever told apart
// by their first word, and a small compilation would otherwise split the whole map.
struct TypeMapEntry {
  const char* plsqlName;
  const char* hostName;
  const char* firstWord;  // inside plsqlName; null when the name holds no word
  size_t firstWordLength;
  bool split;
  AstList* plsqlWords;  // T_STRING tokens, once split
  AstList* hostWords;   // T_STRING tokens, once split
  const char* declSuffix;
  const char* paramSuffix;
};

// Splits the entry's names into words if it has not been split yet.
void splitTypeMapEntry(TypeMapEntry* entry);

struct ExceptionScopes;

struct TransformContext {
  AstNode* root;
  uint32_t nameCounter;  // starts at 1; every generated label or name takes the next value
  AstList* aliasPragmas;
  TypeMapEntry* typeMap;
  uint32_t typeMapCount;
  uint8_t inHandler;  // 1 while inside a block's exception handlers
  CompileError** errors;
  const OraErrorRow* errorMap;
  // The REF CURSOR type declarations visited so far, in visiting order. A type is declared before its
  // uses (types lead each declaration section, and a package's declarations are visited before its
  // routines), so a type name is resolved against these instead of rescanning every declaration of the
  // enclosing scopes, which made a long declaration section quadratic once one such type existed.
  AstList* refCursorTypes;
  // The list the walk is visiting and the cell of the item being visited, so that a rewrite can put
  // statements after the current one without searching its list (see insertStatementsAfter).
  AstList* visitingList;
  AstListCell* visitingCell;
  // The plain exceptions of the scopes the walk is inside, by name: what a handler or EXCEPTION_INIT
  // names is found without rescanning declaration lists (exceptions.cpp).
  ExceptionScopes* visibleExceptions;
  uint32_t prescanWalks;         // the prescans run so far; numbers each one
  uint32_t handlersTransformed;  // the exception handlers transformed so far
  uint32_t extensions;           // the settings' Extension bits
  CompileError** notes;          // where accepted extensions are noted; null keeps none
};

// Whether the compilation asked for `extension`.
inline bool isExtended(const TransformContext* ctx, Extension extension) { return (ctx->extensions & extension) != 0; }

static_assert(std::is_trivially_destructible_v<TypeMapEntry>, "TypeMapEntry lives in the pool");
static_assert(std::is_trivially_destructible_v<TransformContext>, "TransformContext holds only pool pointers");

// Sets the parent link of `node` and rewrites it and its children. A null node does nothing.
void transformNode(AstNode* node, AstNode* parent, TransformContext* ctx);
inline void visit(AstNode* child, AstNode* parent, TransformContext* ctx) { transformNode(child, parent, ctx); }

// "SYSKELINTERNAL_BLOCK<n>" for a procedure body, n from the name counter (which then goes up by one).
const char* nextBlockLabel(TransformContext* ctx);
// "SYSKELINTERNAL_<n as 8 lower-case hex digits>" for loop labels and generated variables.
const char* nextGeneratedName(TransformContext* ctx);

// The host spelling of a datatype: an alias pragma's replacement for a %TYPE / %ROWTYPE it names, or
// the first map entry whose PL/SQL words prefix the type (plus the declaration or parameter suffix when
// nothing follows the words). Null stays null; a type nothing matches comes back unchanged.
AstList* rewriteDatatype(AstList* typeTokens, TransformContext* ctx, bool forParameter);
// The context's type map from the session's rows (none for null), each row split only when first needed.
void buildTypeMap(TransformContext* ctx, const TypeMapRow* rows);

// New T_STRING tokens with the texts of `tokens`, all on `line`, so that a generated node never shares
// cells with the source; an item that is not a token copies as a null text. Null for a null or empty list.
AstList* copyTokens(const AstList* tokens, int32_t line);

// Declares a generated plain variable in `block` unless a plain variable of that name is declared there
// already (names compared ignoring ASCII case): after the leading type declarations and the variables and
// cursors that follow them, so before the first declaration of any other kind. `defaultValue` may be null.
void declareImplicitVariable(BlockNode* block, const char* name, const char* type, const char* defaultValue);

// The variables the rewrites declare under fixed names: the host's own SQLCODE and SQLSTATE, which a
// handler or a test after a statement reads, and the generated ones that stand for PL/SQL's SQLCODE,
// SQLSTATE, SQLERRM and SQL% attributes or serve a rewritten loop.
enum ImplicitVariable : uint32_t {
  implicitSqlcode,         // SQLCODE INTEGER 0
  implicitSqlstate,        // SQLSTATE CHAR(5) '00000'
  implicitSqlcodeCopy,     // the SQLCODE a handler or a statement's capture saved
  implicitSqlstateCopy,    // the SQLSTATE a handler saved
  implicitSqlerrm,         // the message a handler read on entry
  implicitSqlerrmOutside,  // SQLERRM outside any handler: the text of success
  implicitRowCount,        // SQL%ROWCOUNT
  implicitFound,           // SQL%FOUND
  implicitNotFound,        // SQL%NOTFOUND
  implicitExtendIndex,     // EXTEND(n): the next index to fill
  implicitExtendLast,      // EXTEND(n): one past the last index to fill
  implicitBulkIndex,       // BULK COLLECT: the next element to fetch into
  implicitBulkLimit,       // BULK COLLECT ... LIMIT: the most rows to fetch
  implicitStatementText,   // EXECUTE IMMEDIATE with binds: the text prepared (long form of its type)
  implicitVariableCount
};

struct ImplicitVariableRow {
  const char* name;
  const char* type;
  const char* defaultValue;  // or null
};

// The name, type and default of each ImplicitVariable, in enumeration order.
const ImplicitVariableRow& implicitVariable(ImplicitVariable which);
// declareImplicitVariable with the row of `which`.
void declareImplicit(BlockNode* block, ImplicitVariable which);

// A number, a string or NULL: a default the host takes in the declaration itself.
bool isLiteralToken(const void* item);

// Moves a non-literal variable default into an assignment at the start of the owning block; in a
// package wraps it in parentheses instead; in a record type it is recorded as unsupported.
void hoistDefault(VarDeclNode* variable, TransformContext* ctx);

// The longest summed name length among the declarations of a list (routines and pragmas left out).
uint32_t maxDeclaredNameLength(const AstList* declarations);

// Package heads and bodies: member sorting, each member's owner, and SYS_INIT for a body.
void transformPackageHead(AstNode* node, TransformContext* ctx);
void transformPackageBody(AstNode* node, TransformContext* ctx);
