// exceptions.cpp - exception declarations and EXCEPTION_INIT bindings, handler conditions, RAISE, the
// NO_DATA_FOUND test after SELECT INTO, and the diagnostics a handler captures on entry. PL/SQL names
// its conditions; the host handles SQLSTATEs, so every name ends up as SQLSTATE text or as a declared
// host condition. The plain exceptions in scope are kept by name while the walk is inside their scope.
#include "transform/rewrites.h"

#include <cstdio>
#include <cstring>

#include "host/host.h"
#include "lexer/token_codes.h"
#include "pool/pool.h"

// One plain exception declaration in scope. Entries of one name chain newest first, so the innermost
// declaration is met first; `pushedBefore` keeps the order of declaration for closing a scope.
struct ExceptionEntry {
  const char* name;
  ExceptionDeclNode* decl;
  const AstNode* scope;  // the declaration list that holds it
  ExceptionEntry* nextInBucket;
  ExceptionEntry* pushedBefore;
  uint32_t hash;
};

struct ExceptionScopes {
  ExceptionEntry** buckets;
  uint32_t bucketCount;  // a power of two
  uint32_t count;
  ExceptionEntry* lastPushed;
};

static_assert(std::is_trivially_destructible_v<ExceptionEntry>, "ExceptionEntry lives in the pool");
static_assert(std::is_trivially_destructible_v<ExceptionScopes>, "ExceptionScopes lives in the pool");

namespace {

// What PL/SQL's NO_DATA_FOUND is in the host's output, raised and handled alike.
constexpr char noDataFoundSqlstate[] = "ORANF";
constexpr char pragmaNearText[] = "pragma exception_init";

// ---- the exceptions in scope ----

uint32_t nameHash(const char* name) {
  uint32_t hash = 2166136261u;
  for (const char* c = name; *c != '\0'; ++c) {
    const auto byte = static_cast<unsigned char>(*c);
    hash = (hash ^ (byte >= 'A' && byte <= 'Z' ? byte + ('a' - 'A') : byte)) * 16777619u;
  }
  return hash;
}

ExceptionEntry** bucketFor(ExceptionScopes* scopes, uint32_t hash) {
  return &scopes->buckets[hash & (scopes->bucketCount - 1)];
}

void growBuckets(ExceptionScopes* scopes, uint32_t bucketCount) {
  auto** buckets = static_cast<ExceptionEntry**>(ctxAlloc(sizeof(ExceptionEntry*) * bucketCount));
  std::memset(buckets, 0, sizeof(ExceptionEntry*) * bucketCount);
  scopes->buckets = buckets;
  scopes->bucketCount = bucketCount;
  // Entries are relinked oldest first, so each chain stays newest first.
  ExceptionEntry* ordered = nullptr;
  for (ExceptionEntry* entry = scopes->lastPushed; entry != nullptr; entry = entry->pushedBefore) {
    entry->nextInBucket = ordered;
    ordered = entry;
  }
  while (ordered != nullptr) {
    ExceptionEntry* next = ordered->nextInBucket;
    ExceptionEntry** bucket = bucketFor(scopes, ordered->hash);
    ordered->nextInBucket = *bucket;
    *bucket = ordered;
    ordered = next;
  }
}

ExceptionScopes* scopesOf(TransformContext* ctx) {
  if (ctx->visibleExceptions == nullptr) {
    auto* scopes = static_cast<ExceptionScopes*>(ctxAlloc(sizeof(ExceptionScopes)));
    *scopes = ExceptionScopes{};
    growBuckets(scopes, 64);
    ctx->visibleExceptions = scopes;
  }
  return ctx->visibleExceptions;
}

// The innermost plain exception of that name in scope, or null. With `scope` set, only one declared in
// that declaration list counts.
ExceptionDeclNode* findException(TransformContext* ctx, const char* name, const AstNode* scope) {
  if (name == nullptr || ctx->visibleExceptions == nullptr) return nullptr;
  const uint32_t hash = nameHash(name);
  for (ExceptionEntry* entry = *bucketFor(ctx->visibleExceptions, hash); entry != nullptr;
       entry = entry->nextInBucket) {
    if (entry->hash != hash || !asciiEqualIgnoringCase(entry->name, name)) continue;
    if (scope != nullptr && entry->scope != scope) return nullptr;
    return entry->decl;
  }
  return nullptr;
}

void declareVisibleException(ExceptionDeclNode* exception, TransformContext* ctx) {
  // Handlers name an exception by one word; a declaration of several names is never found by one.
  if (listCount(exception->name) != 1) return;
  const char* name = tokenText(listFirst(exception->name));
  if (name == nullptr || exception->parent == nullptr) return;
  // A second declaration of the name in the same section does not hide the first.
  if (findException(ctx, name, exception->parent) != nullptr) return;
  ExceptionScopes* scopes = scopesOf(ctx);
  if (scopes->count >= scopes->bucketCount) growBuckets(scopes, scopes->bucketCount * 2);
  auto* entry = static_cast<ExceptionEntry*>(ctxAlloc(sizeof(ExceptionEntry)));
  entry->name = name;
  entry->decl = exception;
  entry->scope = exception->parent;
  entry->hash = nameHash(name);
  ExceptionEntry** bucket = bucketFor(scopes, entry->hash);
  entry->nextInBucket = *bucket;
  *bucket = entry;
  entry->pushedBefore = scopes->lastPushed;
  scopes->lastPushed = entry;
  ++scopes->count;
}

// ---- the Oracle-error map ----

const OraErrorRow* errorMapOf(const TransformContext* ctx) {
  return ctx->errorMap != nullptr ? ctx->errorMap : oraErrorMap;
}

// The first named row carrying `name`; names stop at the first row without one.
const OraErrorRow* namedRow(const TransformContext* ctx, const char* name) {
  for (const OraErrorRow* row = errorMapOf(ctx); row->oraCode != 0 && row->exceptionName != nullptr; ++row) {
    if (asciiEqualIgnoringCase(row->exceptionName, name)) return row;
  }
  return nullptr;
}

// A predefined exception written as NAME or STANDARD.NAME; anything longer is a user's own name.
const OraErrorRow* predefinedRow(const TransformContext* ctx, const char* text) {
  const QualifiedName name = splitQualifiedName(text);
  if (name.count == 1) return namedRow(ctx, name.parts[0]);
  if (name.count == 2 && asciiEqualIgnoringCase(name.parts[0], "STANDARD")) return namedRow(ctx, name.parts[1]);
  return nullptr;
}

// The SQLSTATEs of the rows with Oracle code `code`, in the order the map's scan meets them. Both runs
// of the map (named rows, then unnamed ones) descend, so the scan has one early exit: the first row
// below `code` sends it to the first unnamed row, and the next one ends it. A code that the scan passes
// in the unnamed run before it first drops below (-14028, -19567) is therefore met twice, as the scan
// has always met it.
AstList* sqlstatesOfCode(const TransformContext* ctx, int32_t code, int32_t line) {
  const OraErrorRow* map = errorMapOf(ctx);
  const OraErrorRow* firstUnnamed = map;
  while (firstUnnamed->oraCode != 0 && firstUnnamed->exceptionName != nullptr) ++firstUnnamed;
  AstList* states = nullptr;
  bool jumped = false;
  for (const OraErrorRow* row = map; row->oraCode != 0;) {
    if (row->oraCode < code) {
      if (jumped) break;
      jumped = true;
      row = firstUnnamed;
      continue;
    }
    if (row->oraCode == code) states = listAppend(states, hostText(row->sqlstate, line));
    ++row;
  }
  return states;
}

// ---- EXCEPTION_INIT ----

void rejectPragma(const ExceptionDeclNode* pragma, const char* detail, const char* extra, TransformContext* ctx) {
  raiseSyntaxError(pragma->line + 1, detail, pragmaNearText, extra, ctx->errors);
}

bool isExceptionOwner(const AstNode* owner) {
  return owner != nullptr && (owner->kind == astNodeBlock || isPackageNode(owner));
}

// 'ABCDE': five characters between single quotes.
bool isQuotedSqlstate(const char* text) {
  return text != nullptr && std::strlen(text) == 7 && text[0] == '\'' && text[6] == '\'';
}

void bindSqlstateTexts(const ExceptionDeclNode* pragma, ExceptionDeclNode* exception, TransformContext* ctx) {
  for (AstListCell* cell = listHeadCell(pragma->sqlstates); cell != nullptr; cell = cell->next) {
    const char* text = tokenText(cell->item);
    if (!isQuotedSqlstate(text)) {
      rejectPragma(pragma, text, "<sqlstate>", ctx);
      return;
    }
    exception->sqlstates = listAppend(exception->sqlstates, hostText(ctxStrndup(text + 1, 5), pragma->line));
  }
}

void bindErrorCode(const ExceptionDeclNode* pragma, ExceptionDeclNode* exception, TransformContext* ctx) {
  const int32_t code = pragma->errorCode;
  AstList* states = nullptr;
  bool alwaysKnown = false;
  if (code == 100) {
    states = listNew(hostText(noDataFoundSqlstate, pragma->line));
    alwaysKnown = true;
  } else if (code >= -20999 && code <= -20000) {
    // The application-error range maps onto the host's user-defined SQLSTATE class.
    char state[8];
    std::snprintf(state, sizeof state, "UD%3.3d", -20000 - code);
    states = listNew(hostText(state, pragma->line));
    alwaysKnown = true;
  } else {
    states = sqlstatesOfCode(ctx, code, pragma->line);
  }
  const bool accepted = alwaysKnown || (code >= -1000000 && code <= 0 && code != -1403 && listCount(states) != 0);
  if (!accepted && code == -24381 && isExtended(ctx, extendSaveExceptions)) {
    // Errors in array DML: the state FORALL ... SAVE EXCEPTIONS signals after its last iteration.
    recordNote(ctx->notes, noteRemark, "EXCEPTION_INIT -24381 bound to the state FORALL ... SAVE EXCEPTIONS signals",
               pragma->line + 1, "EXCEPTION_INIT", extendSaveExceptions);
    exception->sqlstates = listNew(hostText(bulkErrorsSqlstate, pragma->line));
    return;
  }
  const ExtendedErrorRow* extended = isExtended(ctx, extendErrorMap) ? extendedErrorRow(code) : nullptr;
  if (!accepted && extended != nullptr) {
    char message[160];
    std::snprintf(message, sizeof message, "EXCEPTION_INIT %d bound to SQLSTATE %s (%s)", code, extended->sqlstate,
                  extended->meaning);
    recordNote(ctx->notes, noteRemark, message, pragma->line + 1, "EXCEPTION_INIT", extendErrorMap);
    exception->sqlstates = listNew(hostText(extended->sqlstate, pragma->line));
    return;
  }
  if (!accepted) {
    char number[16];
    std::snprintf(number, sizeof number, "%d", code);
    rejectPragma(pragma, number, "", ctx);
    return;
  }
  exception->sqlstates = states;
}

bool sameNames(const AstList* a, const AstList* b) {
  if (listCount(a) != listCount(b)) return false;
  for (AstListCell *x = listHeadCell(a), *y = listHeadCell(b); x != nullptr; x = x->next, y = y->next) {
    if (!asciiEqualIgnoringCase(tokenText(x->item), tokenText(y->item))) return false;
  }
  return true;
}

// The first plain exception of the pragma's own section with the pragma's name, wherever it stands in
// the section: one declared after the pragma is bound as well.
ExceptionDeclNode* sectionException(const ExceptionDeclNode* pragma, const AstNode* list) {
  if (list == nullptr || list->kind != astNodeList) return nullptr;
  for (AstListCell* cell = listHeadCell(static_cast<const AstList*>(list)); cell != nullptr; cell = cell->next) {
    auto* decl = static_cast<AstNode*>(cell->item);
    if (decl == nullptr || decl->kind != astNodeExceptionDecl) continue;
    auto* exception = static_cast<ExceptionDeclNode*>(decl);
    if (exception->declClass == declException && sameNames(exception->name, pragma->name)) return exception;
  }
  return nullptr;
}

void bindExceptionInit(ExceptionDeclNode* pragma, TransformContext* ctx) {
  const AstNode* list = pragma->parent;
  const AstNode* owner = list != nullptr ? list->parent : nullptr;
  const char* name = tokenText(listFirst(pragma->name));
  ExceptionDeclNode* exception = nullptr;
  if (isExceptionOwner(owner) && listCount(pragma->name) == 1) exception = findException(ctx, name, list);
  // The exceptions met so far answer the usual order at once; only a pragma that comes before its
  // exception needs the section searched.
  if (exception == nullptr && isExceptionOwner(owner)) exception = sectionException(pragma, list);
  if (exception == nullptr) {
    rejectPragma(pragma, name, "", ctx);
    return;
  }
  exception->sqlstates = nullptr;
  exception->errorCode = pragma->errorCode;
  // The parser keeps the string of the SQLSTATE form and nothing for the numeric form.
  if (pragma->sqlstates != nullptr) {
    bindSqlstateTexts(pragma, exception, ctx);
  } else {
    bindErrorCode(pragma, exception, ctx);
  }
}

// ---- handlers ----

TokenNode* firstTokenOf(void* condition) {
  auto* node = static_cast<AstNode*>(condition);
  if (node != nullptr && node->kind == astNodeList)
    node = static_cast<AstNode*>(listFirst(static_cast<AstList*>(node)));
  if (node == nullptr || node->kind != astNodeToken) return nullptr;
  return static_cast<TokenNode*>(node);
}

// Whether the declaration section `declarations` belongs to a block or package around `from`.
bool isVisibleFrom(const AstNode* from, const AstNode* declarations) {
  const AstNode* owner = declarations != nullptr ? declarations->parent : nullptr;
  for (const AstNode* at = from; at != nullptr && owner != nullptr; at = at->parent) {
    if (at == owner) return true;
  }
  return false;
}

// "SQLSTATE 'a', SQLSTATE 'b'": the host's one condition that stands for several SQLSTATEs.
const char* sqlstateConditionText(const AstList* states) {
  size_t length = 1;
  for (AstListCell* cell = listHeadCell(states); cell != nullptr; cell = cell->next) {
    length += std::strlen(tokenText(cell->item)) + sizeof ", SQLSTATE ''";
  }
  char* text = static_cast<char*>(ctxAlloc(length));
  size_t used = 0;
  for (AstListCell* cell = listHeadCell(states); cell != nullptr; cell = cell->next) {
    used += static_cast<size_t>(std::snprintf(text + used, length - used, "%sSQLSTATE '%s'",
                                              cell == listHeadCell(states) ? "" : ", ", tokenText(cell->item)));
  }
  return text;
}

void rewriteCondition(HandlerNode* handler, TokenNode* condition, TransformContext* ctx) {
  if (condition == nullptr || condition->text == nullptr) return;
  if (asciiEqualIgnoringCase(condition->text, "OTHERS")) {
    condition->text = "SQLEXCEPTION";
    return;
  }
  if (const OraErrorRow* row = predefinedRow(ctx, condition->text)) {
    char text[32];
    std::snprintf(text, sizeof text, "SQLSTATE '%s'", row->sqlstate);
    condition->text = ctxStrdup(text);
    return;
  }
  const ExceptionDeclNode* exception = findException(ctx, condition->text, nullptr);
  // A name that matches nothing in scope is left for the host to resolve.
  if (exception == nullptr || !isVisibleFrom(handler, exception->parent)) return;
  // One SQLSTATE is the declared condition's own; several have no single condition to name.
  if (listCount(exception->sqlstates) >= 2) condition->text = sqlstateConditionText(exception->sqlstates);
}

// The block the walk wrapped a handler's statements into, or null for a handler without statements.
BlockNode* handlerBlock(const HandlerNode* handler) {
  auto* first = static_cast<AstNode*>(listFirst(handler->statements));
  if (first == nullptr || first->kind != astNodeBlock) return nullptr;
  return static_cast<BlockNode*>(first);
}

void appendInit(BlockNode* block, AstNode* statement) {
  block->initStatements = listAppend(block->initStatements, statement);
  block->initStatements->parent = block;
  statement->parent = block->initStatements;
}

// A list of one-token lists, each list and token linked to its parent.
AstList* tokenLists(std::initializer_list<const char*> texts, int32_t line, AstNode* parent) {
  AstList* lists = nullptr;
  for (const char* text : texts) {
    AstList* one = hostTexts({text}, line);
    static_cast<AstNode*>(listFirst(one))->parent = one;
    lists = listAppend(lists, one);
    one->parent = lists;
  }
  lists->parent = parent;
  return lists;
}

// What a handler reads of the condition is read on entry, before any statement of its own can change
// the host's diagnostics: GET DIAGNOSTICS first, then SQLCODE and SQLSTATE.
void captureHandlerDiagnostics(HandlerNode* handler) {
  BlockNode* block = handlerBlock(handler);
  if (block == nullptr || listCount(block->initStatements) != 0) return;
  BlockNode* outer = outermostBlockOf(handler);
  if (outer == nullptr) return;
  const int32_t line = block->line;
  if (outer->usesSqlerrm) {
    declareImplicit(outer, implicitSqlerrm);
    appendInit(block, makeGetDiag(diagCondition, implicitVariable(implicitSqlerrm).name, "MESSAGE_TEXT", line));
  }
  if (outer->usesSqlcode || outer->usesSqlstate) {
    declareImplicit(outer, implicitSqlcodeCopy);
    declareImplicit(outer, implicitSqlstateCopy);
    auto* values = makeNode<ValuesNode>(astNodeValues, line);
    values->expressions =
        tokenLists({implicitVariable(implicitSqlcode).name, implicitVariable(implicitSqlstate).name}, line, values);
    values->into = tokenLists({implicitVariable(implicitSqlcodeCopy).name, implicitVariable(implicitSqlstateCopy).name},
                              line, values);
    appendInit(block, values);
  }
}

// SQLCODE or SQLSTATE read where no handler captures them: the copies they are written as are declared
// only by a capture, so the routine would read names it never declares. Declared here with their
// defaults (0, '00000'), which is what PL/SQL reads outside a handler.
void declareCopiesReadOutsideHandlers(BlockNode* body, TransformContext* ctx) {
  if (!body->usesSqlcode && !body->usesSqlstate) return;
  const uint32_t before = listCount(body->declarations);
  declareImplicit(body, implicitSqlcodeCopy);
  declareImplicit(body, implicitSqlstateCopy);
  if (listCount(body->declarations) == before) return;
  recordNote(ctx->notes, noteRemark, "SQLCODE or SQLSTATE read outside a handler: its variable is declared",
             body->line + 1, nullptr, extendCorrections);
}

void captureVisitor(AstNode* node, void* /*arg*/) {
  if (node->kind == astNodeHandler) captureHandlerDiagnostics(static_cast<HandlerNode*>(node));
}

}  // namespace

void rewriteExceptionDecl(ExceptionDeclNode* exception, TransformContext* ctx) {
  visit(exception->name, exception, ctx);
  if (exception->declClass == declException) {
    declareVisibleException(exception, ctx);
    return;
  }
  if (exception->declClass == declExceptionInit) bindExceptionInit(exception, ctx);
}

void closeExceptionScope(const AstList* declarations, TransformContext* ctx) {
  ExceptionScopes* scopes = ctx->visibleExceptions;
  if (scopes == nullptr || declarations == nullptr) return;
  while (scopes->lastPushed != nullptr && scopes->lastPushed->scope == declarations) {
    ExceptionEntry* entry = scopes->lastPushed;
    for (ExceptionEntry** link = bucketFor(scopes, entry->hash); *link != nullptr; link = &(*link)->nextInBucket) {
      if (*link == entry) {
        *link = entry->nextInBucket;
        break;
      }
    }
    scopes->lastPushed = entry->pushedBefore;
    --scopes->count;
  }
}

void rewriteHandler(HandlerNode* handler, TransformContext* ctx) {
  BlockNode* outer = outermostBlockOf(handler);
  if (outer != nullptr) {
    declareImplicit(outer, implicitSqlstate);
    declareImplicit(outer, implicitSqlcode);
  }
  for (AstListCell* cell = listHeadCell(handler->conditions); cell != nullptr; cell = cell->next) {
    rewriteCondition(handler, firstTokenOf(cell->item), ctx);
  }
}

void rewriteRaise(RaiseNode* raise, TransformContext* ctx) {
  visit(raise->exceptionName, raise, ctx);
  const char* name = tokenText(listFirst(raise->exceptionName));
  if (name == nullptr) {
    // A bare RAISE re-raises the condition being handled.
    raise->sqlstate = nullptr;
    raise->isPredefined = 0;
    return;
  }
  if (const OraErrorRow* row = predefinedRow(ctx, name)) {
    raise->isPredefined = 1;
    raise->sqlstate = row->sqlstate;
    return;
  }
  raise->isPredefined = 0;
  raise->sqlstate = name;
}

AstNode* rewriteSelect(SelectNode* select, TransformContext* ctx) {
  visit(select->cte, select, ctx);
  visit(select->selectList, select, ctx);
  visit(select->into, select, ctx);
  visit(select->fromClause, select, ctx);
  if (select->bulkCollect) return rewriteBulkSelect(select, ctx);
  if (select->into == nullptr) return nullptr;
  BlockNode* outer = outermostBlockOf(select);
  if (outer == nullptr) return nullptr;
  declareImplicit(outer, implicitSqlcode);
  const int32_t line = select->line;
  // A capture after the select runs first and overwrites the host's SQLCODE; the test reads its copy.
  const char* code =
      outer->needsRowCount ? implicitVariable(implicitSqlcodeCopy).name : implicitVariable(implicitSqlcode).name;
  AstNode* signal = makeSignal(noDataFoundSqlstate, hostTexts({"'NO_DATA_FOUND'"}, line), line);
  insertStatementsAfter(ctx, select, {makeIf(hostTexts({code, "=", "100"}, line), signal, line)});
  // Inserted directly after the select as well, so it lands between the select and the test.
  if (outer->needsRowCount) captureRowCount(ctx, select, outer, true);
  return nullptr;
}

void captureDiagnostics(BlockNode* body, uint32_t handlersBefore, TransformContext* ctx) {
  // Every handler in the body has the body's outermost block, whose flags say whether any of them has
  // something to capture; when none reads the diagnostics, the walk would change nothing.
  const BlockNode* outer = outermostBlockOf(body);
  const bool readsDiagnostics = outer->usesSqlerrm || outer->usesSqlcode || outer->usesSqlstate;
  if (ctx->handlersTransformed != handlersBefore && readsDiagnostics) walkStatements(body, captureVisitor, nullptr);
  if (isExtended(ctx, extendCorrections)) declareCopiesReadOutsideHandlers(body, ctx);
}

// The handler's statements become one block, so that the host sees a single compound statement as
// the handler's action.
void transformHandler(HandlerNode* handler, TransformContext* ctx) {
  ++ctx->handlersTransformed;
  visit(handler->conditions, handler, ctx);
  rewriteHandler(handler, ctx);
  if (listCount(handler->statements) == 0) return;
  const auto* first = static_cast<const AstNode*>(listFirst(handler->statements));
  auto* block = makeNode<BlockNode>(astNodeBlock, first != nullptr ? first->line : handler->line);
  block->statements = handler->statements;
  handler->statements = listNew(block);
  visit(handler->statements, handler, ctx);
}
