// transform.h - rewrites the parsed PL/SQL tree in place into constructs the host dialect has; writes
// no text, only nodes (token nodes carry literal host text).
// Owns TransformContext and its name counter, on the caller's stack for one walk; every node it adds is
// pool memory. May use diag/, ast/, pool/, host/ and lexer/token_codes.h.
#pragma once

#include "ast/ast.h"
#include "diag/errors.h"
#include "diag/session.h"

// Transforms every program of the request. Problems are recorded on `errors`; the tree stays usable.
// What the settings' extensions accepted is recorded on `notes` (may be null).
void transformTree(AstList* root, const SessionSettings* settings, CompileError** errors,
                   CompileError** notes = nullptr);
