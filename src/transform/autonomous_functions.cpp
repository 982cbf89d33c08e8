// autonomous_functions.cpp - the autonomous-functions extension: the host runs only procedures as
// autonomous transactions, so a function with PRAGMA AUTONOMOUS_TRANSACTION becomes an autonomous
// procedure holding its body, with the result as a last OUT parameter, and a function of the same name
// and signature that calls it. Runs before the walk, which then treats both as written.
#include "transform/rewrites.h"

#include <cstring>

#include "host/host.h"
#include "lexer/token_codes.h"
#include "pool/pool.h"

namespace {

constexpr const char* resultName = "SYSKELINTERNAL_RESULT";

// A copy that keeps each token's code, so the datatype map and the name rewrites treat it as the source.
AstList* sameTokens(const AstList* tokens) {
  AstList* copy = nullptr;
  for (AstListCell* cell = listHeadCell(tokens); cell != nullptr; cell = cell->next) {
    const auto* token = static_cast<const TokenNode*>(cell->item);
    copy = listAppend(copy, newTokenNode(token->code, token->text, token->line));
  }
  return copy;
}

FormalArgNode* copyArgument(const FormalArgNode* arg) {
  auto* copy = makeNode<FormalArgNode>(astNodeFormalArg, arg->line);
  copy->name = sameTokens(arg->name);
  copy->mode = arg->mode;
  copy->datatype = sameTokens(arg->datatype);
  copy->defaultValue = sameTokens(arg->defaultValue);
  copy->noCopy = arg->noCopy;
  return copy;
}

bool isAutonomousPragma(const void* item) {
  const auto* node = static_cast<const AstNode*>(item);
  return node != nullptr && node->kind == astNodePragma &&
         static_cast<const PragmaNode*>(node)->pragmaCode == T_AUTONOMOUS_XACT;
}

bool declaresAutonomous(const CreateFuncNode* function) {
  const AstNode* body = function->body;
  if (body == nullptr || body->kind != astNodeBlock) return false;
  for (AstListCell* cell = listHeadCell(static_cast<const BlockNode*>(body)->declarations); cell != nullptr;
       cell = cell->next) {
    if (isAutonomousPragma(cell->item)) return true;
  }
  return false;
}

// RETURN x;  ->  result := x; RETURN;  in every statement list of the body. A nested procedure's RETURN
// has no value and is left alone.
void returnThroughResult(AstNode* node, void*) {
  if (node->kind != astNodeList) return;
  for (AstListCell* cell = listHeadCell(static_cast<AstList*>(node)); cell != nullptr; cell = cell->next) {
    auto* statement = static_cast<AstNode*>(cell->item);
    if (statement == nullptr || statement->kind != astNodeReturn) continue;
    auto* ret = static_cast<ReturnNode*>(statement);
    if (ret->value == nullptr) continue;
    AssignNode* assign = makeAssign(hostTexts({resultName}, ret->line), ret->value, ret->line);
    assign->label = ret->label;
    ret->label = nullptr;
    ret->value = nullptr;
    cell->item = assign;
    listInsertAfter(ret, assign, static_cast<AstList*>(node));
    cell = cell->next;
  }
}

const char* firstName(const void* arg) {
  const char* text = tokenText(listFirst(static_cast<const FormalArgNode*>(arg)->name));
  return text != nullptr ? text : "";
}

// "a, b, SYSKELINTERNAL_RESULT": the function's parameters in order, then the result.
const char* callArguments(const AstList* arguments) {
  size_t length = std::strlen(resultName) + 1;
  for (AstListCell* cell = listHeadCell(arguments); cell != nullptr; cell = cell->next) {
    length += std::strlen(firstName(cell->item)) + 2;
  }
  char* text = static_cast<char*>(ctxAlloc(length));
  size_t used = 0;
  for (AstListCell* cell = listHeadCell(arguments); cell != nullptr; cell = cell->next) {
    used += static_cast<size_t>(hostSnprintf(text + used, length - used, "%s, ", firstName(cell->item)));
  }
  hostSnprintf(text + used, length - used, "%s", resultName);
  return text;
}

void splitFunction(AstList* programs, CreateFuncNode* function, TransformContext* ctx) {
  const int32_t line = function->line;
  const char* name = tokenText(listLast(function->name));
  const size_t length = std::strlen(name) + sizeof "_AUTONOMOUS";
  char* procedureName = static_cast<char*>(ctxAlloc(length));
  hostSnprintf(procedureName, length, "%s_AUTONOMOUS", name);

  auto* procedure = makeNode<CreateProcNode>(astNodeCreateProc, line);
  AstList* qualified = nullptr;
  for (AstListCell* cell = listHeadCell(function->name); cell != nullptr && cell->next != nullptr; cell = cell->next) {
    qualified = listAppend(qualified, newTokenNode(tokenCode(cell->item), tokenText(cell->item), line));
  }
  procedure->name = listAppend(qualified, newTokenNode(T_WORD, procedureName, line));
  procedure->orReplace = function->orReplace;
  procedure->authid = 1;  // the function's own AUTHID, if any, is reported on the function
  for (AstListCell* cell = listHeadCell(function->arguments); cell != nullptr; cell = cell->next) {
    procedure->arguments = listAppend(procedure->arguments, copyArgument(static_cast<FormalArgNode*>(cell->item)));
  }
  auto* result = makeNode<FormalArgNode>(astNodeFormalArg, line);
  result->name = hostTexts({resultName}, line);
  result->mode = argOut;
  result->datatype = sameTokens(function->returnType);
  procedure->arguments = listAppend(procedure->arguments, result);
  walkStatements(function->body, returnThroughResult, nullptr);
  // The pragma moves with the body: the walk marks the procedure autonomous as it would a written one.
  procedure->body = function->body;

  auto* call = makeNode<CallNode>(astNodeCall, line);
  call->name = sameTokens(procedure->name);
  call->arguments = hostTexts({callArguments(function->arguments)}, line);
  auto* ret = makeNode<ReturnNode>(astNodeReturn, line);
  ret->value = hostTexts({resultName}, line);
  auto* body = makeNode<BlockNode>(astNodeBlock, line);
  body->declarations =
      listNew(makeVariable(hostTexts({resultName}, line), sameTokens(function->returnType), nullptr, line));
  body->statements = listAppend(listNew(call), ret);
  function->body = body;
  insertItemBefore(programs, procedure, function);

  const char* format =
      "autonomous FUNCTION %s: its body runs as the autonomous procedure %s, which the function "
      "calls; where the host lets no function call a procedure that modifies data, the call fails "
      "when it runs";
  const size_t messageLength = std::strlen(format) + std::strlen(name) + std::strlen(procedureName);
  char* message = static_cast<char*>(ctxAlloc(messageLength));
  hostSnprintf(message, messageLength, format, name, procedureName);
  recordNote(ctx->notes, noteWarning, message, line + 1, "AUTONOMOUS_TRANSACTION", extendAutonomousFunctions);
}

void splitIn(AstList* programs, TransformContext* ctx) {
  // Collected first: the list grows as procedures go in before their functions.
  AstList* functions = nullptr;
  for (AstListCell* cell = listHeadCell(programs); cell != nullptr; cell = cell->next) {
    auto* node = static_cast<AstNode*>(cell->item);
    if (node == nullptr) continue;
    if (node->kind == astNodeCreatePkgBody) splitIn(static_cast<CreatePkgBodyNode*>(node)->members, ctx);
    if (node->kind == astNodeCreateFunc && declaresAutonomous(static_cast<CreateFuncNode*>(node))) {
      functions = listAppend(functions, node);
    }
  }
  for (AstListCell* cell = listHeadCell(functions); cell != nullptr; cell = cell->next) {
    splitFunction(programs, static_cast<CreateFuncNode*>(cell->item), ctx);
  }
}

}  // namespace

void splitAutonomousFunctions(AstList* root, TransformContext* ctx) { splitIn(root, ctx); }
