// save_exceptions.cpp - the save-exceptions extension: FORALL ... SAVE EXCEPTIONS runs every iteration,
// each failing one recorded (its index and the host's SQLCODE) in arrays the routine declares, and the
// bulk-errors condition is signalled after the last; SQL%BULK_EXCEPTIONS reads those arrays.
// Each iteration's statement sits in a block of its own whose OTHERS handler records the failure: the
// handler ends that block only, so the loop goes on with the next index.
#include "transform/rewrites.h"

#include <cstring>

#include "host/host.h"
#include "lexer/token_codes.h"

const char* const bulkErrorsSqlstate = "UB381";

namespace {

constexpr const char* bulkErrorsType = "SYSKELINTERNAL_BULK_ERRORS";
constexpr const char* bulkCount = "SYSKELINTERNAL_BULK_COUNT";
constexpr const char* bulkIndex = "SYSKELINTERNAL_BULK_INDEX";
constexpr const char* bulkCode = "SYSKELINTERNAL_BULK_CODE";

// Declares the type and the three variables once in `outer`, the routine's outermost block, so that a
// handler anywhere in the routine reads the last FORALL's failures.
void declareBulkErrors(BlockNode* outer, int32_t line) {
  for (AstListCell* cell = listHeadCell(outer->declarations); cell != nullptr; cell = cell->next) {
    const auto* decl = static_cast<const AstNode*>(cell->item);
    if (decl != nullptr && decl->kind == astNodeTableDecl &&
        std::strcmp(tokenText(listFirst(static_cast<const TableDeclNode*>(decl)->name)), bulkErrorsType) == 0) {
      return;
    }
  }
  auto* type = makeNode<TableDeclNode>(astNodeTableDecl, line);
  type->declClass = declTable;
  type->name = hostTexts({bulkErrorsType}, line);
  type->elementType = hostTexts({"INTEGER"}, line);
  type->indexType = hostTexts({"INTEGER"}, line);
  type->nameLength = static_cast<uint32_t>(std::strlen(bulkErrorsType));
  type->parent = outer->declarations;
  outer->declarations = listPrepend(outer->declarations, type);
  declareImplicitVariable(outer, bulkCount, "INTEGER", "0");
  declareImplicitVariable(outer, bulkIndex, bulkErrorsType, nullptr);
  declareImplicitVariable(outer, bulkCode, bulkErrorsType, nullptr);
}

AstList* subscripted(const char* array, int32_t line) { return hostTexts({array, "[", bulkCount, "]"}, line); }

// BEGIN body EXCEPTION WHEN OTHERS THEN count := count + 1; index[count] := i; code[count] := SQLCODE; END
BlockNode* recordingBlock(ForNode* loop, AstList* body, int32_t line) {
  auto* handler = makeNode<HandlerNode>(astNodeHandler, line);
  handler->conditions = listNew(newTokenNode(T_WORD, "OTHERS", line));
  handler->handlerKind = handlerExit;
  handler->statements = listNew(makeAssign(hostTexts({bulkCount}, line), hostTexts({bulkCount, " + 1"}, line), line));
  handler->statements = listAppend(
      handler->statements, makeAssign(subscripted(bulkIndex, line), copyTokens(loop->loopVariable, line), line));
  handler->statements =
      listAppend(handler->statements,
                 makeAssign(subscripted(bulkCode, line), listNew(newTokenNode(T_SQLCODE, "SQLCODE", line)), line));
  auto* block = makeNode<BlockNode>(astNodeBlock, line);
  block->statements = body;
  block->handlers = listNew(handler);
  return block;
}

// The token after `cell` whose parenthesis closes the one `cell` opens, or null.
AstListCell* closingParenthesis(AstListCell* cell) {
  int depth = 0;
  for (; cell != nullptr; cell = cell->next) {
    const char* text = tokenText(cell->item);
    if (text == nullptr) continue;
    if (std::strcmp(text, "(") == 0) ++depth;
    if (std::strcmp(text, ")") == 0 && --depth == 0) return cell;
  }
  return nullptr;
}

struct BulkReads {
  TransformContext* ctx;
  const AstNode* at;  // where an unreadable form is reported
};

// The tokens are rewritten in place and the ones a read loses are emptied, not unlinked: a rewrite that
// ran first (a FOR's bounds) may hold them in lists of its own.
void setHostText(AstListCell* cell, const char* text) {
  auto* token = static_cast<TokenNode*>(cell->item);
  token->code = T_STRING;
  token->text = text;
}

// SQL % BULK_EXCEPTIONS.COUNT  ->  the count; SQL % BULK_EXCEPTIONS(j).ERROR_INDEX  ->  index[j], and
// ERROR_CODE the same. Other forms (the whole collection, another attribute) have no host value.
void rewriteBulkReads(AstNode* node, void* arg) {
  if (node->kind != astNodeList) return;
  auto* reads = static_cast<BulkReads*>(arg);
  for (AstListCell* cell = listHeadCell(static_cast<AstList*>(node)); cell != nullptr; cell = cell->next) {
    const char* text = tokenText(cell->item);
    AstListCell* percent = cell->next;
    if (text == nullptr || !asciiEqualIgnoringCase(text, "SQL") || percent == nullptr) continue;
    AstListCell* attribute = percent->next;
    const char* percentText = tokenText(percent->item);
    const char* name = attribute != nullptr ? tokenText(attribute->item) : nullptr;
    if (percentText == nullptr || std::strcmp(percentText, "%") != 0 || name == nullptr ||
        !asciiEqualIgnoringCaseN(name, "BULK_EXCEPTIONS", 15)) {
      continue;
    }
    if (asciiEqualIgnoringCase(name, "BULK_EXCEPTIONS.COUNT")) {
      setHostText(cell, bulkCount);
      setHostText(percent, "");
      setHostText(attribute, "");
      continue;
    }
    AstListCell* open = attribute->next;
    AstListCell* close = std::strcmp(name, "BULK_EXCEPTIONS") == 0 || asciiEqualIgnoringCase(name, "BULK_EXCEPTIONS")
                             ? closingParenthesis(open)
                             : nullptr;
    AstListCell* dot = close != nullptr ? close->next : nullptr;
    AstListCell* field = dot != nullptr ? dot->next : nullptr;
    const char* fieldText = field != nullptr ? tokenText(field->item) : nullptr;
    const bool isIndex = fieldText != nullptr && asciiEqualIgnoringCase(fieldText, "ERROR_INDEX");
    const bool isCode = fieldText != nullptr && asciiEqualIgnoringCase(fieldText, "ERROR_CODE");
    if (open == nullptr || std::strcmp(tokenText(open->item), "(") != 0 || (!isIndex && !isCode) ||
        std::strcmp(tokenText(dot->item), ".") != 0) {
      raiseUnsupported(
          "SQL%BULK_EXCEPTIONS read other than as .COUNT or (i).ERROR_INDEX / (i).ERROR_CODE not supported", name,
          reads->at, reads->ctx->errors);
      continue;
    }
    setHostText(cell, isIndex ? bulkIndex : bulkCode);
    setHostText(open, "[");
    setHostText(close, "]");
    setHostText(percent, "");
    setHostText(attribute, "");
    setHostText(dot, "");
    setHostText(field, "");
  }
}

}  // namespace

bool takeSaveExceptions(AstList** tokens) {
  const uint32_t count = listCount(*tokens);
  if (count < 3 || !asciiEqualIgnoringCase(tokenText(listNth(*tokens, count - 1)), "SAVE") ||
      !asciiEqualIgnoringCase(tokenText(listLast(*tokens)), "EXCEPTIONS")) {
    return false;
  }
  AstList* kept = nullptr;
  uint32_t position = 0;
  for (AstListCell* cell = listHeadCell(*tokens); cell != nullptr && ++position <= count - 2; cell = cell->next) {
    kept = listAppend(kept, cell->item);
  }
  *tokens = kept;
  return true;
}

SavedFailures saveExceptions(ForNode* loop, TransformContext* ctx) {
  const int32_t line = loop->line;
  BlockNode* outer = outermostBlockOf(loop);
  if (outer != nullptr) {
    declareBulkErrors(outer, line);
    BulkReads reads{ctx, loop};
    walkTree(outer, rewriteBulkReads, &reads);
  }
  loop->body = listNew(recordingBlock(loop, loop->body, line));
  recordNote(ctx->notes, noteWarning,
             "FORALL ... SAVE EXCEPTIONS runs every iteration and then signals SQLSTATE UB381 if any failed; "
             "SQL%BULK_EXCEPTIONS(i).ERROR_CODE holds the host's SQLCODE, not the source's error number",
             line + 1, "SAVE EXCEPTIONS", extendSaveExceptions);
  SavedFailures saved{};
  saved.reset = makeAssign(hostTexts({bulkCount}, line), hostTexts({"0"}, line), line);
  SignalNode* signal = makeSignal(bulkErrorsSqlstate, hostTexts({"'ORA-24381: error(s) in array DML'"}, line), line);
  saved.signalIfAny = makeIf(hostTexts({bulkCount, " > 0"}, line), signal, line);
  return saved;
}
