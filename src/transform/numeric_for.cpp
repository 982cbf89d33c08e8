// numeric_for.cpp - FOR i IN lo .. hi (and FORALL over a range) as the host has no counting loop: a
// block declaring i and SYSKELINTERNAL_LOOP_LIMIT around a WHILE. The increment is the WHILE's continue
// target, so CONTINUE reaches it instead of skipping it, and the FOR is the WHILE's source loop, so an
// EXIT naming the FOR's label finds the WHILE.
#include "transform/rewrites.h"

#include <cerrno>
#include <cstdlib>

#include "host/host.h"
#include "lexer/token_codes.h"

namespace {

TokenNode* text(const char* value, int32_t line) { return newTokenNode(T_STRING, value, line); }

// A literal bound must fit the INTEGER the loop variable is declared as.
void checkBound(const AstList* bound, TransformContext* ctx) {
  if (listCount(bound) != 1) return;
  const auto* token = static_cast<const TokenNode*>(listFirst(bound));
  if (token->kind != astNodeToken || token->code != T_DIGITS || token->text == nullptr) return;
  errno = 0;
  const long long value = std::strtoll(token->text, nullptr, 10);
  if (errno == ERANGE || value > INT32_MAX || value < INT32_MIN) {
    raiseSyntaxError(token->line + 1, token->text, "INTEGER value out of range", "", ctx->errors);
  }
}

VarDeclNode* integerVariable(AstList* names, AstList* defaultValue, int32_t line) {
  return makeVariable(names, listNew(text("INTEGER", line)), defaultValue, line);
}

// FORALL i IN lo .. hi SAVE EXCEPTIONS: the option ends the upper bound's tokens.
bool endsWithSaveExceptions(const AstList* bound) {
  const uint32_t count = listCount(bound);
  return count >= 3 && asciiEqualIgnoringCase(tokenText(listNth(bound, count - 1)), "SAVE") &&
         asciiEqualIgnoringCase(tokenText(listLast(bound)), "EXCEPTIONS");
}

}  // namespace

AstNode* rewriteNumericFor(ForNode* loop, TransformContext* ctx) {
  AstList* low = nullptr;
  AstList* high = nullptr;
  bool afterDots = false;
  for (AstListCell* cell = listHeadCell(loop->range); cell != nullptr; cell = cell->next) {
    const auto* token = static_cast<const AstNode*>(cell->item);
    if (!afterDots && token->kind == astNodeToken && static_cast<const TokenNode*>(token)->code == T_DOTDOT) {
      afterDots = true;
      continue;
    }
    if (afterDots) {
      high = listAppend(high, cell->item);
    } else {
      low = listAppend(low, cell->item);
    }
  }
  checkBound(low, ctx);
  checkBound(high, ctx);
  const bool savesExceptions =
      loop->forKind == forallRange && isExtended(ctx, extendSaveExceptions) && takeSaveExceptions(&high);
  if (loop->forKind == forallRange && endsWithSaveExceptions(high)) {
    recordForallOption(loop, tokenText(listNth(high, listCount(high) - 1)), ctx);
  }
  const SavedFailures saved = savesExceptions ? saveExceptions(loop, ctx) : SavedFailures{};

  const int32_t line = loop->line;
  AstList* first = loop->reverse ? high : low;
  AstList* last = loop->reverse ? low : high;
  auto* block = makeNode<BlockNode>(astNodeBlock, line);
  block->label = loop->label;
  block->declarations = listNew(integerVariable(copyTokens(loop->loopVariable, line), first, line));
  block->declarations =
      listAppend(block->declarations, integerVariable(listNew(text("SYSKELINTERNAL_LOOP_LIMIT", line)), last, line));

  // Generated without a source line: it stands for the END LOOP, which has none of its own.
  auto* increment = makeNode<AssignNode>(astNodeAssign, -1);
  increment->target = copyTokens(loop->loopVariable, -1);
  increment->value = copyTokens(loop->loopVariable, -1);
  increment->value = listAppend(increment->value, text(loop->reverse ? "-" : "+", -1));
  increment->value = listAppend(increment->value, text("1", -1));

  auto* whileLoop = makeNode<WhileNode>(astNodeWhile, line);
  whileLoop->condition = copyTokens(loop->loopVariable, line);
  whileLoop->condition = listAppend(whileLoop->condition, text(loop->reverse ? ">=" : "<=", line));
  whileLoop->condition = listAppend(whileLoop->condition, text("SYSKELINTERNAL_LOOP_LIMIT", line));
  whileLoop->statements = listAppend(loop->body, increment);
  // The statements live in the WHILE now; a walk over the FOR meets them there only, so nested loops
  // are not walked once per enclosing level.
  loop->body = nullptr;
  whileLoop->continueTarget = increment;
  whileLoop->sourceLoop = loop;
  block->statements = listNew(whileLoop);
  if (savesExceptions) {
    block->statements = listAppend(listPrepend(block->statements, saved.reset), saved.signalIfAny);
  }
  return block;
}
