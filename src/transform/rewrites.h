// rewrites.h - the hand-off points where the walk gives a construct with no direct host equivalent to
// the rewrite that turns it into host forms. Each is called once the node's parent link is set; one that
// returns a node hands back the replacement (the walk stores and visits it), null meaning "write the
// node as it is". A hand-off whose rewrite is not built yet visits the node's children as plain nodes and
// records an unsupported feature wherever writing the node as parsed would lose or garble its text.
// Private to transform/.
#pragma once

#include "ast/ast.h"
#include "transform/transform_context.h"

// ---- exceptions and condition handling (pending_rewrites.cpp) ----

// A declared exception or an EXCEPTION_INIT binding: its name list is visited.
void rewriteExceptionDecl(ExceptionDeclNode* exception, TransformContext* ctx);
// A handler after its conditions were visited and before its statements are wrapped into a block.
void rewriteHandler(HandlerNode* handler, TransformContext* ctx);
// RAISE: a bare RAISE is the host's RESIGNAL as it stands; a named one needs its condition.
void rewriteRaise(RaiseNode* raise, TransformContext* ctx);
// SELECT INTO, its children visited here; the result becomes the select's generated replacement.
AstNode* rewriteSelect(SelectNode* select, TransformContext* ctx);
// Runs over a routine body or an anonymous block once everything in it has been transformed.
void captureDiagnostics(BlockNode* body, TransformContext* ctx);

// ---- cursors and cursor attributes (pending_rewrites.cpp) ----

void rewriteOpen(OpenNode* open, TransformContext* ctx);
void rewriteSqlStmt(SqlStmtNode* sql, TransformContext* ctx);
void rewriteToken(TokenNode* token, TransformContext* ctx);
// FOR over a declared cursor or over a query.
AstNode* rewriteCursorFor(ForNode* loop, TransformContext* ctx);

// ---- collections and bulk operations ----

// Numeric FOR and FORALL lo .. hi (numeric_for.cpp): a block that declares the loop variable and the
// limit, both bounds evaluated once, around a WHILE whose continue target is the increment. A bound
// that is a number too large for INTEGER is recorded as a syntax error; the rewrite goes on.
AstNode* rewriteNumericFor(ForNode* loop, TransformContext* ctx);
// FORALL ... INDICES OF / VALUES OF (pending_rewrites.cpp).
AstNode* rewriteForallOverCollection(ForNode* loop, TransformContext* ctx);
// Collection methods called as statements (c.DELETE, c.TRIM, c.EXTEND).
AstNode* rewriteCollectionCall(CallNode* call, TransformContext* ctx);
// FETCH ... BULK COLLECT INTO.
AstNode* rewriteBulkFetch(FetchNode* fetch, TransformContext* ctx);

// ---- dynamic SQL and restricted calls (pending_rewrites.cpp) ----

// EXECUTE IMMEDIATE, its children visited here.
AstNode* rewriteDynamic(DynamicNode* dynamic, TransformContext* ctx);
// An assignment from a package function the host offers only as a procedure.
AstNode* rewriteRestrictedCall(AssignNode* assign, TransformContext* ctx);
