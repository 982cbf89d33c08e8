// pending_rewrites.cpp - the hand-offs whose host rewrite is not built yet. Each visits what the walk
// would visit and records an unsupported feature wherever the node, written as parsed, would lose text
// or come out as something the host reads differently; everything else passes through unchanged, so a
// request either translates faithfully or fails with a reason.
// TODO: the exception, cursor, collection-method, bulk and dynamic-SQL rewrites replace these bodies.
#include "transform/rewrites.h"

#include "lexer/token_codes.h"

namespace {

void visit(AstNode* child, AstNode* parent, TransformContext* ctx) { transformNode(child, parent, ctx); }

enum class Pending : uint32_t {
  exceptionDeclaration,
  exceptionHandler,
  namedRaise,
  cursorFor,
  openFor,
  cursorAttribute,
  forallOverCollection,
  bulkCollect,
  dynamicWithBinds,
};

struct PendingText {
  const char* message;
  const char* detail;
};

// Every message of this file, in Pending order.
constexpr PendingText pendingTexts[] = {
    {"Exception declarations not supported", "EXCEPTION"},
    {"Exception handlers not supported", "EXCEPTION WHEN"},
    {"RAISE of a named exception not supported", "RAISE"},
    {"Cursor FOR loops not supported", "FOR ... IN"},
    {"OPEN ... FOR not supported", "OPEN ... FOR"},
    {"Cursor attributes not supported", nullptr},  // the detail names the attribute
    {"FORALL over INDICES OF or VALUES OF not supported", "FORALL"},
    {"BULK COLLECT not supported", "BULK COLLECT"},
    {"EXECUTE IMMEDIATE with INTO, USING or RETURNING not supported", "EXECUTE IMMEDIATE"},
};

void recordPending(Pending which, const AstNode* node, TransformContext* ctx, const char* detail = nullptr) {
  const PendingText& text = pendingTexts[static_cast<uint32_t>(which)];
  raiseUnsupported(text.message, detail != nullptr ? detail : text.detail, node, ctx->errors);
}

}  // namespace

void rewriteExceptionDecl(ExceptionDeclNode* exception, TransformContext* ctx) {
  visit(exception->name, exception, ctx);
  // Nothing declares the condition yet, and handlers could not name it anyway.
  recordPending(Pending::exceptionDeclaration, exception, ctx);
}

void rewriteHandler(HandlerNode* handler, TransformContext* ctx) {
  // The conditions are PL/SQL exception names; the host needs SQLSTATE lists in their place.
  recordPending(Pending::exceptionHandler, handler, ctx);
}

void rewriteRaise(RaiseNode* raise, TransformContext* ctx) {
  visit(raise->exceptionName, raise, ctx);
  // With no SQLSTATE a named RAISE would be written as RESIGNAL: a different statement.
  if (raise->exceptionName != nullptr && raise->sqlstate == nullptr) recordPending(Pending::namedRaise, raise, ctx);
}

AstNode* rewriteSelect(SelectNode* select, TransformContext* ctx) {
  visit(select->cte, select, ctx);
  visit(select->selectList, select, ctx);
  visit(select->into, select, ctx);
  visit(select->fromClause, select, ctx);
  if (select->bulkCollect) recordPending(Pending::bulkCollect, select, ctx);
  return nullptr;
}

void captureDiagnostics(BlockNode* /*body*/, TransformContext* /*ctx*/) {
  // Reading SQLCODE, SQLSTATE or SQLERRM inside a handler needs the diagnostics captured at its
  // start; until handlers are rewritten they are recorded as unsupported, so there is nothing to do.
}

void rewriteOpen(OpenNode* open, TransformContext* ctx) {
  visit(open->cursor, open, ctx);
  visit(open->arguments, open, ctx);
  visit(open->using_, open, ctx);
  visit(open->tail, open, ctx);
  // The FOR operand (a query or a statement text) has no place in the host's OPEN.
  if (open->query != nullptr) recordPending(Pending::openFor, open, ctx);
}

void rewriteSqlStmt(SqlStmtNode* sql, TransformContext* ctx) {
  visit(sql->rest, sql, ctx);
  visit(sql->returning, sql, ctx);
}

void rewriteToken(TokenNode* token, TransformContext* ctx) {
  switch (token->code) {
    case T_CURSOR_FOUND: recordPending(Pending::cursorAttribute, token, ctx, "%FOUND"); return;
    case T_CURSOR_NOTFOUND: recordPending(Pending::cursorAttribute, token, ctx, "%NOTFOUND"); return;
    case T_CURSOR_ROWCOUNT: recordPending(Pending::cursorAttribute, token, ctx, "%ROWCOUNT"); return;
    case T_CURSOR_ISOPEN: recordPending(Pending::cursorAttribute, token, ctx, "%ISOPEN"); return;
    default: return;
  }
}

AstNode* rewriteCursorFor(ForNode* loop, TransformContext* ctx) {
  recordPending(Pending::cursorFor, loop, ctx);
  return nullptr;
}

AstNode* rewriteForallOverCollection(ForNode* loop, TransformContext* ctx) {
  recordPending(Pending::forallOverCollection, loop, ctx);
  return nullptr;
}

AstNode* rewriteCollectionCall(CallNode* /*call*/, TransformContext* /*ctx*/) { return nullptr; }

AstNode* rewriteBulkFetch(FetchNode* fetch, TransformContext* ctx) {
  recordPending(Pending::bulkCollect, fetch, ctx);
  return nullptr;
}

AstNode* rewriteDynamic(DynamicNode* dynamic, TransformContext* ctx) {
  visit(dynamic->statement, dynamic, ctx);
  visit(dynamic->into, dynamic, ctx);
  visit(dynamic->using_, dynamic, ctx);
  visit(dynamic->returning, dynamic, ctx);
  // Without binds the statement is the host's EXECUTE IMMEDIATE as written.
  const bool hasBinds = listCount(dynamic->into) != 0 || listCount(dynamic->using_) != 0 ||
                        listCount(dynamic->returning) != 0 || dynamic->bulkCollect != 0;
  if (hasBinds) recordPending(Pending::dynamicWithBinds, dynamic, ctx);
  return nullptr;
}

AstNode* rewriteRestrictedCall(AssignNode* /*assign*/, TransformContext* /*ctx*/) { return nullptr; }
