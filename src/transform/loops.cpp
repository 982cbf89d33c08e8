// loops.cpp - the targets of EXIT and CONTINUE: the enclosing loop a label names (or the innermost),
// labelled from the name counter when it has no label, since LEAVE and ITERATE need one.
#include "transform/rewrites.h"

#include "host/host.h"

namespace {

const char* loopLabel(const AstNode* loop) { return static_cast<const StatementNode*>(loop)->label; }

const AstNode* sourceLoopOf(const AstNode* loop) {
  if (loop->kind == astNodeFor) return static_cast<const ForNode*>(loop)->sourceLoop;
  if (loop->kind == astNodeLoop) return static_cast<const LoopNode*>(loop)->sourceLoop;
  if (loop->kind == astNodeWhile) return static_cast<const WhileNode*>(loop)->sourceLoop;
  return nullptr;
}

AstNode* continueTargetOf(const AstNode* loop) {
  if (loop->kind == astNodeFor) return static_cast<const ForNode*>(loop)->continueTarget;
  if (loop->kind == astNodeLoop) return static_cast<const LoopNode*>(loop)->continueTarget;
  if (loop->kind == astNodeWhile) return static_cast<const WhileNode*>(loop)->continueTarget;
  return nullptr;
}

AstNode* findTargetLoop(AstNode* from, const char* label) {
  for (AstNode* node = from->parent; node != nullptr; node = node->parent) {
    if (!isLoopNode(node)) continue;
    if (label == nullptr) return node;
    if (asciiEqualIgnoringCase(loopLabel(node), label)) return node;
    const AstNode* source = sourceLoopOf(node);
    if (source != nullptr && asciiEqualIgnoringCase(loopLabel(source), label)) return node;
  }
  return nullptr;
}

// LEAVE and ITERATE need a label; an unlabelled loop gets a generated one.
const char* ensureLabel(AstNode* statement, TransformContext* ctx) {
  auto* labelled = static_cast<StatementNode*>(statement);
  if (labelled->label == nullptr) labelled->label = nextGeneratedName(ctx);
  return labelled->label;
}

}  // namespace

void transformExit(ExitNode* exit, TransformContext* ctx) {
  visit(exit->condition, exit, ctx);
  AstNode* loop = findTargetLoop(exit, exit->target);
  if (loop != nullptr) {
    exit->loopTarget = loop;
    exit->target = ensureLabel(loop, ctx);
  } else if (exit->target == nullptr) {
    exit->target = "NULL";
  }
}

void transformContinue(ContinueNode* next, TransformContext* ctx) {
  visit(next->condition, next, ctx);
  AstNode* loop = findTargetLoop(next, next->target);
  next->loopTarget = loop;
  if (loop == nullptr) return;
  AstNode* increment = continueTargetOf(loop);
  next->target =
      increment != nullptr && isStatementNode(increment) ? ensureLabel(increment, ctx) : ensureLabel(loop, ctx);
}
