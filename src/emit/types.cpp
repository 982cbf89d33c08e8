// types.cpp - record, table, varray and subtype declarations and CREATE TYPE.
// TODO: the type writers are not built yet: each declaration records an unsupported feature, so a
// request either translates faithfully or fails with a reason.
#include "emit/emit_context.h"

void emitTypeDeclaration(AstNode* decl, const AstNode* /*owner*/, EmitContext* ctx) { recordUnwritten(decl, ctx); }
