// emit.h - writes host-dialect text from the transformed tree and cuts it into result entries, one per
// top-level statement, each with its statement domain. Output lives in the compilation's pool.
// Owns EmitContext, on the caller's stack for one run, and the TextBuffer each statement is assembled in.
// May use diag/, ast/, pool/, host/, lexer/token_codes.h and include/xcomp2.h.
#pragma once

#include "ast/ast.h"
#include "diag/errors.h"
#include "diag/session.h"
#include "xcomp2.h"

// The generated statements of the request in order, or null when nothing could be written. Uses the
// settings' emitText (terminator), emitHandle and trackLines; problems are recorded on `errors`.
// What the settings' extensions accepted is recorded on `notes` (may be null).
XcompResult* emitTree(AstList* root, const SessionSettings* settings, CompileError** errors,
                      CompileError** notes = nullptr);
