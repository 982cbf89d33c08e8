// routines.cpp - procedures, functions and triggers as the walk meets them: each body is labelled from
// the name counter (or with the fixed label of functions and triggers), its parts visited, and the
// diagnostics its handlers read captured; a trigger's REFERENCING names become generated names.
#include "transform/rewrites.h"

#include <cstring>

#include "pool/pool.h"

namespace {

void labelBody(AstNode* body, const char* label) {
  if (body == nullptr || body->kind != astNodeBlock) return;
  auto* block = static_cast<BlockNode*>(body);
  if (block->label == nullptr) block->label = label;
}

// The REFERENCING names become generated names, so that a trigger's own variables can never clash
// with them; the trigger keeps each under its NEW, OLD or PARENT slot for the writer.
void renameReferencing(CreateTriggerNode* trigger) {
  for (AstListCell* cell = listHeadCell(trigger->referencing); cell != nullptr; cell = cell->next) {
    auto* arg = static_cast<TriggerArgNode*>(cell->item);
    if (arg == nullptr || arg->kind != astNodeTriggerArg) continue;
    for (AstListCell* name = listHeadCell(arg->alias); name != nullptr; name = name->next) {
      auto* token = static_cast<TokenNode*>(name->item);
      if (token == nullptr || token->kind != astNodeToken || token->text == nullptr) continue;
      const size_t length = std::strlen(token->text);
      char* renamed = static_cast<char*>(ctxAlloc(length + sizeof "SYSKELINTERNAL_"));
      std::memcpy(renamed, "SYSKELINTERNAL_", sizeof "SYSKELINTERNAL_" - 1);
      std::memcpy(renamed + sizeof "SYSKELINTERNAL_" - 1, token->text, length + 1);
      token->text = renamed;
    }
    if (arg->which < triggerRowCount) trigger->referencingNames[arg->which] = arg->alias;
  }
}

}  // namespace

void transformProcedure(CreateProcNode* procedure, TransformContext* ctx) {
  const uint32_t handlersBefore = ctx->handlersTransformed;
  // The number is spent even when the body has its own label, so numbering does not depend on labels.
  labelBody(procedure->body, nextBlockLabel(ctx));
  visit(procedure->name, procedure, ctx);
  visit(procedure->arguments, procedure, ctx);
  visit(procedure->body, procedure, ctx);
  if (procedure->body != nullptr && procedure->body->kind == astNodeBlock) {
    captureDiagnostics(static_cast<BlockNode*>(procedure->body), handlersBefore, ctx);
  }
}

void transformFunction(CreateFuncNode* function, TransformContext* ctx) {
  const uint32_t handlersBefore = ctx->handlersTransformed;
  function->modifiesSqlData = 0;
  function->defineBind = 1;
  labelBody(function->body, "SYSKELINTERNAL_BLOCK");
  visit(function->name, function, ctx);
  visit(function->arguments, function, ctx);
  visit(function->body, function, ctx);
  visit(function->returnType, function, ctx);
  if (function->body != nullptr && function->body->kind == astNodeBlock) {
    captureDiagnostics(static_cast<BlockNode*>(function->body), handlersBefore, ctx);
  }
  function->returnType = rewriteDatatype(function->returnType, ctx, true);
}

void transformTrigger(CreateTriggerNode* trigger, TransformContext* ctx) {
  const uint32_t handlersBefore = ctx->handlersTransformed;
  labelBody(trigger->body, "SYSKELINTERNAL_BLOCK");
  renameReferencing(trigger);
  visit(trigger->name, trigger, ctx);
  visit(trigger->updateColumns, trigger, ctx);
  visit(trigger->table, trigger, ctx);
  visit(trigger->follows, trigger, ctx);
  visit(trigger->condition, trigger, ctx);
  visit(trigger->referencing, trigger, ctx);
  visit(trigger->body, trigger, ctx);
  if (trigger->body != nullptr && trigger->body->kind == astNodeBlock) {
    captureDiagnostics(static_cast<BlockNode*>(trigger->body), handlersBefore, ctx);
  }
}
