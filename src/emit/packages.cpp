// packages.cpp - a package becomes a module: the host creates a module empty and then alters it one
// member at a time, so a package head or body is written as several result entries, each cut with its
// own domain. Declarations go through the declaration writer blocks use; routines and prototypes
// through the routine writers, which see their package in `module`.
#include "emit/emit_context.h"

namespace {

// "to cut with a domain": the statement's last line is the terminator.
void cut(StatementDomain domain, EmitContext* ctx) {
  emitStrings({ctx->terminator, "\n"}, ctx);
  finishStatement(domain, ctx);
}

// Exceptions bound to an error code declare nothing (handlers name their SQLSTATEs); the declaration
// writer skips them and anything that is not a declaration.
void emitModuleDeclarations(AstList* declarations, EmitContext* ctx) {
  for (AstListCell* cell = listHeadCell(declarations); cell != nullptr; cell = cell->next) {
    emitDeclaration(static_cast<AstNode*>(cell->item), ctx);
  }
}

}  // namespace

// CREATE PACKAGE m AS PROCEDURE p; END;  ->  CREATE MODULE m, then ALTER MODULE m PUBLISH ... per member
void emitPackageHead(AstNode* node, EmitContext* ctx) {
  auto* package = static_cast<CreatePkgHeadNode*>(node);
  beginStatement(node, ctx);
  emitTokens(package->name, package->orReplace ? "CREATE OR REPLACE MODULE " : "CREATE MODULE ", "", ctx);
  cut(SQLEXC_CREATE_MODULE, ctx);
  emitModuleDeclarations(package->declarations, ctx);
  emitNode(package->prototypes, ctx);
  // Recorded after the statements: they are complete, and the driver decides whether they are used.
  if (package->authid == 0) {
    recordCurrentUserRights(node, node, "CREATE [OR REPLACE] PACKAGE...", ctx);
  }
}

// CREATE PACKAGE BODY m AS ... END;  ->  ALTER MODULE m DROP BODY, COMMENT ON MODULE m, ALTER MODULE m ADD ...
void emitPackageBody(AstNode* node, EmitContext* ctx) {
  auto* package = static_cast<CreatePkgBodyNode*>(node);
  beginStatement(node, ctx);
  // Replacing a body drops the old one first. Without OR REPLACE nothing is cut here, so the line
  // marker just written opens the COMMENT statement.
  if (package->orReplace) {
    emitTokens(package->name, "ALTER MODULE ", " DROP BODY", ctx);
    cut(SQLEXC_DROP_PACKAGE_BODY, ctx);
  }
  {
    const NestedLevel nested(ctx);
    // The comment marks the module as one that has a body; it is not indented, unlike the members.
    emitLineMarker(node->line, ctx);
    emitTokens(package->name, "COMMENT ON MODULE ", " IS 'PL/SQL Package Body'", ctx);
    cut(SQLEXC_COMMENT_MODULE, ctx);
    emitModuleDeclarations(package->declarations, ctx);
    // Forward declarations first, so that the routines may call each other in any order.
    emitNode(package->prototypes, ctx);
    emitNode(package->routines, ctx);
    emitNode(package->initBlock, ctx);
  }
}
