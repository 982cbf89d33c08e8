// collections.cpp - collection methods called as statements, BULK COLLECT fetches and selects, and
// FORALL over the indices or values of a collection. The host has array built-ins and subscripted
// assignment but none of these statements, so each becomes assignments, loops and generated variables.
// Generated text travels as T_STRING tokens with the line of the statement it stands for.
#include "transform/rewrites.h"

#include <cstring>

#include "host/host.h"
#include "lexer/token_codes.h"
#include "pool/pool.h"

namespace {

const char* implicitName(ImplicitVariable which) { return implicitVariable(which).name; }

char* poolPrefix(const char* text, size_t length) {
  char* copy = static_cast<char*>(ctxAlloc(length + 1));
  std::memcpy(copy, text, length);
  copy[length] = '\0';
  return copy;
}

// A copy of a source token that the token rewrites treat like the original (code and qualified-name
// flag kept), for a second use of a name the source wrote once.
TokenNode* cloneToken(const void* item, int32_t line) {
  const auto* token = static_cast<const TokenNode*>(item);
  TokenNode* clone = newTokenNode(token->code, token->text, line);
  clone->dotted = token->dotted;
  return clone;
}

bool isCommaToken(const void* item) {
  const char* text = tokenText(item);
  return text != nullptr && std::strcmp(text, ",") == 0;
}

AstList* appendCopies(AstList* list, const AstList* tokens, int32_t line) {
  return listConcat(list, copyTokens(tokens, line));
}

// ---- collection methods ----

// c[SYSKEL.COALESCE(SYSKEL.ARRAY_LAST(c), 0) + 1]: one past the last index in use (1 when empty).
AstList* nextIndex(const char* collection, int32_t line) {
  return hostTexts({"SYSKEL.COALESCE(SYSKEL.ARRAY_LAST(", collection, "), 0) + 1"}, line);
}

AssignNode* labelled(AssignNode* assign, const CallNode* call) {
  assign->label = call->label;
  return assign;
}

// c.EXTEND(n) and c.EXTEND(n, i): n new elements after the last index, null or copies of element i.
// Only a single constant or variable can stand in the generated bound and subscript.
AstNode* extendBy(CallNode* call, const char* collection, TransformContext* ctx) {
  const AstList* args = call->arguments;
  const uint32_t count = listCount(args);
  if (count != 1 && !(count == 3 && isCommaToken(listNth(args, 2)))) {
    raiseUnsupported("EXTEND argument is not a constant or a variable", "EXTEND", call, ctx->errors);
    return nullptr;
  }
  const int32_t line = call->line;
  const char* n = tokenText(listFirst(args));
  const char* index = implicitName(implicitExtendIndex);
  const char* last = implicitName(implicitExtendLast);
  BlockNode* outer = outermostBlockOf(call);
  if (outer != nullptr) {
    declareImplicit(outer, implicitExtendIndex);
    declareImplicit(outer, implicitExtendLast);
  }
  AstList* statements =
      listNew(labelled(makeAssign(hostTexts({index}, line), nextIndex(collection, line), line), call));
  statements = listAppend(statements, makeAssign(hostTexts({last}, line), hostTexts({index, " + ", n}, line), line));
  SignalNode* outside = makeSignal("2202E", hostTexts({"'SUBSCRIPT_OUTSIDE_LIMIT'"}, line), line);
  statements = listAppend(statements, makeIf(hostTexts({n, "<", "0"}, line), outside, line));

  AssignNode* fill = makeAssign(hostTexts({collection}, line), nullptr, line);
  fill->targetIndex = hostTexts({index}, line);
  fill->value =
      count == 1 ? hostTexts({"NULL"}, line) : hostTexts({collection, "[", tokenText(listNth(args, 3)), "]"}, line);
  auto* loop = makeNode<WhileNode>(astNodeWhile, line);
  loop->condition = hostTexts({index, " < ", last}, line);
  loop->statements =
      listAppend(listNew(fill), makeAssign(hostTexts({index}, line), hostTexts({index, " + 1"}, line), line));
  return listAppend(statements, loop);
}

// ---- BULK COLLECT ----

// The bulk fetch loop around a plain FETCH of `fetch`'s cursor: every target emptied, then one row per
// pass into the next element until the cursor is exhausted or LIMIT rows were read. When SQL%ROWCOUNT
// is read, the number of rows fetched is its value afterwards, also when a fetch fails. The block is
// transformed under `fetch`'s parent before the INTO targets are subscripted, so that the emptying
// assignments keep the bare names.
// BULK COLLECT INTO a(1), b(1): each target must be a whole collection, which the loop subscripts; the
// default writes the subscript's tokens as targets of their own. The correction refuses it plainly.
void refuseSubscriptedTargets(const AstList* into, TransformContext* ctx) {
  for (const AstListCell* cell = listHeadCell(into); cell != nullptr; cell = cell->next) {
    const char* text = tokenText(cell->item);
    if (text == nullptr || std::strcmp(text, "(") != 0) continue;
    raiseUnsupported("BULK COLLECT INTO an element of a collection not supported", "BULK COLLECT INTO",
                     static_cast<const AstNode*>(cell->item), ctx->errors);
    return;
  }
}

BlockNode* bulkFetchBlock(FetchNode* fetch, TransformContext* ctx) {
  const int32_t line = fetch->line;
  if (isExtended(ctx, extendCorrections)) refuseSubscriptedTargets(fetch->into, ctx);
  const char* index = implicitName(implicitBulkIndex);
  const char* limit = implicitName(implicitBulkLimit);
  // The block takes no label: the FETCH or SELECT it replaces is started, label and all, by its own writer.
  auto* block = makeNode<BlockNode>(astNodeBlock, line);
  declareImplicit(block, implicitBulkIndex);
  declareImplicit(block, implicitBulkLimit);

  AstList* statements = nullptr;
  for (AstListCell* cell = listHeadCell(fetch->into); cell != nullptr; cell = cell->next) {
    if (isCommaToken(cell->item)) continue;
    statements =
        listAppend(statements, makeAssign(listNew(cloneToken(cell->item, line)), hostTexts({"NULL"}, line), line));
  }
  const bool hasLimit = listCount(fetch->limit) != 0;
  if (hasLimit) statements = listAppend(statements, makeAssign(hostTexts({limit}, line), fetch->limit, line));

  auto* row = makeNode<FetchNode>(astNodeFetch, line);
  row->cursor = fetch->cursor;
  row->into = fetch->into;
  row->generated = 1;
  AstList* body = listNew(makeAssign(hostTexts({index}, line), hostTexts({index, "+ 1"}, line), line));
  if (hasLimit) body = listAppend(body, makeExitWhen(hostTexts({index, ">", limit}, line), line));
  body = listAppend(body, row);
  body = listAppend(body, makeExitWhen(hostTexts({"SQLCODE", "=", "100"}, line), line));
  auto* loop = makeNode<LoopNode>(astNodeLoop, line);
  loop->statements = body;
  statements = listAppend(statements, loop);

  BlockNode* outer = outermostBlockOf(fetch);
  if (outer != nullptr) declareImplicit(outer, implicitSqlcode);
  if (outer != nullptr && outer->needsRowCount) {
    const char* rowCount = implicitName(implicitRowCount);
    statements = listAppend(statements, makeAssign(hostTexts({rowCount}, line), hostTexts({index, "- 1"}, line), line));
    auto* handler = makeNode<HandlerNode>(astNodeHandler, line);
    handler->handlerKind = handlerExit;
    handler->conditions = listNew(hostTexts({"OTHERS"}, line));
    handler->statements = listNew(makeAssign(hostTexts({rowCount}, line), hostTexts({index, "- 1"}, line), line));
    handler->statements = listAppend(handler->statements, makeResignal(line));
    block->handlers = listNew(handler);
  }
  block->statements = statements;

  transformNode(block, fetch->parent, ctx);

  for (AstListCell* cell = listHeadCell(fetch->into); cell != nullptr; cell = cell->next) {
    if (isCommaToken(cell->item)) continue;
    auto* target = static_cast<TokenNode*>(cell->item);
    const char* name = target->text != nullptr ? target->text : "";
    const size_t nameLength = std::strlen(name);
    const size_t indexLength = std::strlen(index);
    char* subscripted = static_cast<char*>(ctxAlloc(nameLength + indexLength + 3));
    std::memcpy(subscripted, name, nameLength);
    subscripted[nameLength] = '[';
    std::memcpy(subscripted + nameLength + 1, index, indexLength);
    std::memcpy(subscripted + nameLength + 1 + indexLength, "]", 2);
    target->text = subscripted;
  }
  return block;
}

// ---- FORALL over a collection ----

// c and the loop variable (or the generated index) advance through the existing indices in order.
AssignNode* advance(AstList* variable, const char* collection, int32_t line) {
  AstList* value = hostTexts({"SYSKEL.ARRAY_NEXT(", collection, ", "}, line);
  value = appendCopies(value, variable, line);
  value = listAppend(value, hostText(")", line));
  return makeAssign(copyTokens(variable, line), value, line);
}

AstList* integerType(int32_t line) { return hostTexts({"INTEGER"}, line); }

// c BETWEEN lo AND hi (the AND at depth 0): the range keeps c, lo and hi go to `low` and `high`. A range
// without BETWEEN after its first token is left as it is.
void splitBetweenBounds(ForNode* loop, AstList** low, AstList** high) {
  AstListCell* between = listHeadCell(loop->range) != nullptr ? listHeadCell(loop->range)->next : nullptr;
  if (between == nullptr || !asciiEqualIgnoringCase(tokenText(between->item), "BETWEEN")) return;
  AstList** side = low;
  int depth = 0;
  for (AstListCell* cell = between->next; cell != nullptr; cell = cell->next) {
    const char* text = tokenText(cell->item);
    if (text != nullptr && std::strcmp(text, "(") == 0) ++depth;
    if (text != nullptr && std::strcmp(text, ")") == 0) --depth;
    if (depth == 0 && side == low && text != nullptr && asciiEqualIgnoringCase(text, "AND")) {
      side = high;
      continue;
    }
    *side = listAppend(*side, cell->item);
  }
  if (*low == nullptr || *high == nullptr) {
    *low = nullptr;
    *high = nullptr;
    return;
  }
  loop->range = listNew(listFirst(loop->range));
}

}  // namespace

void recordForallOption(ForNode* loop, const char* tokenText, TransformContext* ctx) {
  raiseUnsupported("FORALL with SAVE EXCEPTIONS or BETWEEN bounds not supported", tokenText, loop, ctx->errors);
}

AstNode* rewriteForallOverCollection(ForNode* loop, TransformContext* ctx) {
  const bool extended = isExtended(ctx, extendSaveExceptions);
  const bool savesExceptions = extended && takeSaveExceptions(&loop->range);
  // INDICES OF c BETWEEN lo AND hi: the bounds limit the indices (VALUES OF: the positions) walked.
  AstList* low = nullptr;
  AstList* high = nullptr;
  if (extended) splitBetweenBounds(loop, &low, &high);
  // The collection's text is copied into the loop, so it is rewritten (a name qualified by its routine)
  // first.
  transformNode(loop->range, loop, ctx);
  transformNode(low, loop, ctx);
  transformNode(high, loop, ctx);
  if (listCount(loop->range) > 1) {
    const char* second = tokenText(listNth(loop->range, 2));
    if (second != nullptr && std::strcmp(second, "(") == 0) {
      // INDICES OF c(1): the loop would walk the element, not a collection it can name.
      raiseUnsupported(subscriptedForallMessage, second, loop, ctx->errors);
    } else {
      recordForallOption(loop, second, ctx);
    }
  }
  const SavedFailures saved = savesExceptions ? saveExceptions(loop, ctx) : SavedFailures{};
  const int32_t line = loop->line;
  const char* collection = tokenText(listFirst(loop->range));
  if (collection == nullptr) collection = "";
  auto* block = makeNode<BlockNode>(astNodeBlock, line);
  block->label = loop->label;
  auto* whileLoop = makeNode<WhileNode>(astNodeWhile, line);
  whileLoop->sourceLoop = loop;
  AstList* first = hostTexts({"SYSKEL.ARRAY_FIRST(", collection, ")"}, line);
  // What steps through the collection: the loop variable itself, or for VALUES OF a generated position.
  AstList* cursor = nullptr;

  if (loop->forKind == forallIndicesOf) {
    block->declarations = listNew(makeVariable(copyTokens(loop->loopVariable, line), integerType(line), first, line));
    cursor = loop->loopVariable;
    whileLoop->condition = listAppend(copyTokens(loop->loopVariable, line), hostText(" IS NOT NULL", line));
    AssignNode* next = advance(loop->loopVariable, collection, line);
    whileLoop->statements = listAppend(loop->body, next);
    whileLoop->continueTarget = next;
  } else {
    // VALUES OF: a generated index walks the index collection; the loop variable takes each value.
    AstList* position = hostTexts({nextGeneratedName(ctx)}, line);
    cursor = position;
    block->declarations = listNew(makeVariable(position, integerType(line), first, line));
    block->declarations = listAppend(
        block->declarations, makeVariable(copyTokens(loop->loopVariable, line), integerType(line), nullptr, line));
    whileLoop->condition = listAppend(copyTokens(position, line), hostText(" IS NOT NULL", line));
    AstList* element = hostTexts({collection, "["}, line);
    element = appendCopies(element, position, line);
    element = listAppend(element, hostText("]", line));
    AssignNode* next = advance(position, collection, line);
    whileLoop->statements = listConcat(listNew(makeAssign(copyTokens(loop->loopVariable, line), element, line)),
                                       listAppend(loop->body, next));
    whileLoop->continueTarget = next;
  }
  block->statements = listNew(whileLoop);
  if (high != nullptr) {
    whileLoop->condition = appendCopies(listAppend(whileLoop->condition, hostText(" AND ", line)), cursor, line);
    whileLoop->condition = listAppend(
        appendCopies(listAppend(whileLoop->condition, hostText(" <= (", line)), high, line), hostText(")", line));
    // The indices below the lower bound are passed over before the first iteration.
    auto* skip = makeNode<WhileNode>(astNodeWhile, line);
    skip->condition =
        appendCopies(listAppend(copyTokens(cursor, line), hostText(" IS NOT NULL AND ", line)), cursor, line);
    skip->condition =
        listAppend(appendCopies(listAppend(skip->condition, hostText(" < (", line)), low, line), hostText(")", line));
    skip->statements = listNew(advance(cursor, collection, line));
    block->statements = listPrepend(block->statements, skip);
  }
  if (savesExceptions) {
    block->statements = listAppend(listPrepend(block->statements, saved.reset), saved.signalIfAny);
  }
  return block;
}

AstNode* rewriteCollectionCall(CallNode* call, TransformContext* ctx) {
  const char* name = tokenText(listLast(call->name));
  const int64_t dot = lastSeparatingDot(name);
  if (dot < 0) return nullptr;
  const char* method = name + dot + 1;
  const char* collection = poolPrefix(name, static_cast<size_t>(dot));
  const int32_t line = call->line;
  const bool hasArguments = listCount(call->arguments) != 0;

  if (asciiEqualIgnoringCase(method, "DELETE")) {
    AstList* value = hostTexts({"SYSKEL.ARRAY_DELETE(", collection}, line);
    if (hasArguments) value = appendCopies(listAppend(value, hostText(",", line)), call->arguments, line);
    value = listAppend(value, hostText(")", line));
    return labelled(makeAssign(hostTexts({collection}, line), value, line), call);
  }
  if (asciiEqualIgnoringCase(method, "TRIM")) {
    AstList* value = hostTexts({"TRIM_ARRAY(", collection, ","}, line);
    value = hasArguments ? appendCopies(value, call->arguments, line) : listAppend(value, hostText("1", line));
    value = listAppend(value, hostText(")", line));
    return labelled(makeAssign(hostTexts({collection}, line), value, line), call);
  }
  if (asciiEqualIgnoringCase(method, "EXTEND")) {
    if (hasArguments) return extendBy(call, collection, ctx);
    AssignNode* append = labelled(makeAssign(hostTexts({collection}, line), hostTexts({"NULL"}, line), line), call);
    append->targetIndex = nextIndex(collection, line);
    return append;
  }
  return nullptr;
}

AstNode* rewriteBulkFetch(FetchNode* fetch, TransformContext* ctx) { return bulkFetchBlock(fetch, ctx); }

AstNode* rewriteBulkSelect(SelectNode* select, TransformContext* ctx) {
  const int32_t line = select->line;
  const char* cursorName = nextGeneratedName(ctx);
  FetchNode* fetch = makeBulkFetch(cursorName, select->into, select->parent, line);
  BlockNode* block = bulkFetchBlock(fetch, ctx);

  // The query without its INTO is the generated cursor's.
  auto* query = makeNode<SelectNode>(astNodeSelect, line);
  query->selectList = select->selectList;
  query->fromClause = select->fromClause;
  query->cte = select->cte;
  auto* cursor = makeNode<CursorDeclNode>(astNodeCursorDecl, line);
  cursor->declClass = declCursor;
  cursor->name = hostTexts({cursorName}, line);
  cursor->query = query;
  block->declarations = listAppend(block->declarations, cursor);
  transformNode(cursor, block->declarations, ctx);
  const uint32_t longest = maxDeclaredNameLength(block->declarations);
  if (longest > block->maxNameLength) block->maxNameLength = longest;

  auto* open = makeNode<OpenNode>(astNodeOpen, line);
  open->cursor = hostTexts({cursorName}, line);
  block->statements = listPrepend(block->statements, open);
  open->parent = block->statements;
  return block;
}
