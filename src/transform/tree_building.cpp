// tree_building.cpp - what the rewrites build their host constructs from: literal host-text tokens,
// the few statement nodes they generate, qualified-name splitting, insertion after a statement in its
// list, the routine a qualified name may start with, the capture of ROW_COUNT after a statement and the
// longest name a declaration section declares.
// Every node made here is pool memory with the line of the node it stands for.
#include "transform/rewrites.h"

#include <cstring>

#include "host/host.h"
#include "lexer/token_codes.h"
#include "pool/pool.h"

namespace {

// Dots inside double quotes belong to a quoted name; a backslash takes the next character as it is.
template <typename Visit>
void forEachSeparatingDot(const char* text, Visit visit) {
  bool quoted = false;
  for (size_t i = 0; text[i] != '\0'; ++i) {
    if (text[i] == '\\') {
      if (text[i + 1] == '\0') break;
      ++i;
      continue;
    }
    if (text[i] == '"') quoted = !quoted;
    if (text[i] == '.' && !quoted) visit(i);
  }
}

char* poolCopy(const char* text, size_t length) {
  char* copy = static_cast<char*>(ctxAlloc(length + 1));
  std::memcpy(copy, text, length);
  copy[length] = '\0';
  return copy;
}

const AstList* argumentsOf(const AstNode* routine) {
  if (routine->kind == astNodeCreateProc) return static_cast<const CreateProcNode*>(routine)->arguments;
  if (routine->kind == astNodeCreateFunc) return static_cast<const CreateFuncNode*>(routine)->arguments;
  return nullptr;
}

const AstList* routineName(const AstNode* routine) {
  switch (routine->kind) {
    case astNodeCreateProc: return static_cast<const CreateProcNode*>(routine)->name;
    case astNodeCreateFunc: return static_cast<const CreateFuncNode*>(routine)->name;
    case astNodeCreateTrigger: return static_cast<const CreateTriggerNode*>(routine)->name;
    default: return nullptr;
  }
}

const AstNode* routineBody(const AstNode* routine) {
  switch (routine->kind) {
    case astNodeCreateProc: return static_cast<const CreateProcNode*>(routine)->body;
    case astNodeCreateFunc: return static_cast<const CreateFuncNode*>(routine)->body;
    case astNodeCreateTrigger: return static_cast<const CreateTriggerNode*>(routine)->body;
    default: return nullptr;
  }
}

bool hasArgumentNamed(const AstNode* routine, const char* name) {
  for (AstListCell* cell = listHeadCell(argumentsOf(routine)); cell != nullptr; cell = cell->next) {
    const auto* arg = static_cast<const FormalArgNode*>(cell->item);
    if (arg != nullptr && asciiEqualIgnoringCase(tokenText(listFirst(arg->name)), name)) return true;
  }
  return false;
}

}  // namespace

TokenNode* hostText(const char* text, int32_t line) { return newTokenNode(T_STRING, text, line); }

AstList* hostTexts(std::initializer_list<const char*> texts, int32_t line) {
  AstList* list = nullptr;
  for (const char* text : texts) list = listAppend(list, hostText(text, line));
  return list;
}

QualifiedName splitQualifiedName(const char* text) {
  QualifiedName name{};
  if (text == nullptr) return name;
  uint32_t dots = 0;
  forEachSeparatingDot(text, [&](size_t) { ++dots; });
  name.count = dots + 1;
  name.parts = static_cast<const char**>(ctxAlloc(sizeof(const char*) * name.count));
  size_t start = 0;
  uint32_t part = 0;
  forEachSeparatingDot(text, [&](size_t dot) {
    name.parts[part++] = poolCopy(text + start, dot - start);
    if (name.afterFirstDot == nullptr) name.afterFirstDot = text + dot + 1;
    start = dot + 1;
  });
  name.parts[part] = poolCopy(text + start, std::strlen(text + start));
  return name;
}

int64_t lastSeparatingDot(const char* text) {
  int64_t last = -1;
  if (text != nullptr) forEachSeparatingDot(text, [&](size_t dot) { last = static_cast<int64_t>(dot); });
  return last;
}

BlockNode* outermostBlockOf(AstNode* node) {
  BlockNode* outermost = nullptr;
  for (AstNode* at = node; at != nullptr; at = at->parent) {
    if (at->kind == astNodeBlock) outermost = static_cast<BlockNode*>(at);
  }
  return outermost;
}

const char* requalifyByRoutine(const AstNode* from, const char* text) {
  const QualifiedName name = splitQualifiedName(text);
  if (name.count < 2) return text;
  for (const AstNode* at = from->parent; at != nullptr; at = at->parent) {
    if (!isRoutineNode(at) || !asciiEqualIgnoringCase(tokenText(listFirst(routineName(at))), name.parts[0])) continue;
    if (hasArgumentNamed(at, name.parts[1])) return text;
    const AstNode* body = routineBody(at);
    if (body == nullptr || body->kind != astNodeBlock) return text;
    const char* label = static_cast<const BlockNode*>(body)->label;
    if (label == nullptr) return text;
    const size_t labelLength = std::strlen(label);
    const size_t restLength = std::strlen(name.afterFirstDot);
    char* requalified = static_cast<char*>(ctxAlloc(labelLength + 1 + restLength + 1));
    std::memcpy(requalified, label, labelLength);
    requalified[labelLength] = '.';
    std::memcpy(requalified + labelLength + 1, name.afterFirstDot, restLength + 1);
    return requalified;
  }
  return text;
}

void insertStatementsAfter(TransformContext* ctx, AstNode* statement, std::initializer_list<AstNode*> items) {
  AstNode* parent = statement->parent;
  if (parent == nullptr || parent->kind != astNodeList) return;
  auto* list = static_cast<AstList*>(parent);
  // The walk knows the cell of the statement it is visiting; finding it again would make a long
  // statement list quadratic.
  AstListCell* cell = ctx->visitingCell;
  if (cell == nullptr || ctx->visitingList != list || cell->item != statement) {
    for (cell = listHeadCell(list); cell != nullptr && cell->item != statement; cell = cell->next) {
    }
    if (cell == nullptr) return;
  }
  for (AstNode* item : items) {
    if (item == nullptr) continue;
    auto* inserted = static_cast<AstListCell*>(ctxAlloc(sizeof(AstListCell)));
    inserted->item = item;
    inserted->next = cell->next;
    cell->next = inserted;
    if (list->tail == cell) list->tail = inserted;
    ++list->count;
    list->plainTokens = 0;
    item->parent = list;
    cell = inserted;
  }
}

VarDeclNode* makeVariable(AstList* names, AstList* datatype, AstList* defaultValue, int32_t line) {
  auto* variable = makeNode<VarDeclNode>(astNodeVarDecl, line);
  variable->declClass = declVariable;
  variable->names = names;
  variable->datatype = datatype;
  variable->defaultValue = defaultValue;
  return variable;
}

AssignNode* makeAssign(AstList* target, AstList* value, int32_t line) {
  auto* assign = makeNode<AssignNode>(astNodeAssign, line);
  assign->target = target;
  assign->value = value;
  return assign;
}

SignalNode* makeSignal(const char* sqlstate, AstList* message, int32_t line) {
  auto* signal = makeNode<SignalNode>(astNodeSignal, line);
  signal->sqlstate = sqlstate;
  signal->message = message;
  return signal;
}

SignalNode* makeResignal(int32_t line) {
  auto* signal = makeNode<SignalNode>(astNodeSignal, line);
  signal->isResignal = 1;
  return signal;
}

IfNode* makeIf(AstList* condition, AstNode* statement, int32_t line) {
  auto* ifNode = makeNode<IfNode>(astNodeIf, line);
  ifNode->condition = condition;
  ifNode->thenStatements = listNew(statement);
  return ifNode;
}

ExitNode* makeExitWhen(AstList* condition, int32_t line) {
  auto* exit = makeNode<ExitNode>(astNodeExit, line);
  exit->condition = condition;
  return exit;
}

FetchNode* makeBulkFetch(const char* cursorName, AstList* into, AstNode* parent, int32_t line) {
  auto* fetch = makeNode<FetchNode>(astNodeFetch, line);
  fetch->cursor = hostTexts({cursorName}, line);
  fetch->into = into;
  fetch->bulkCollect = 1;
  fetch->generated = 1;
  fetch->parent = parent;
  return fetch;
}

GetDiagNode* makeGetDiag(DiagKind kind, const char* target, const char* item, int32_t line) {
  auto* diag = makeNode<GetDiagNode>(astNodeGetDiag, line);
  diag->diagKind = kind;
  diag->target = hostTexts({target}, line);
  diag->item = hostTexts({item}, line);
  return diag;
}

void captureRowCount(TransformContext* ctx, AstNode* statement, BlockNode* outer, bool saveSqlcode) {
  const int32_t line = statement->line;
  AstNode* getDiag = makeGetDiag(diagStatement, implicitVariable(implicitRowCount).name, "ROW_COUNT", line);
  AstNode* save = nullptr;
  if (saveSqlcode) {
    BlockNode* scope = outermostBlockOf(statement);
    if (scope != nullptr) declareImplicit(scope, implicitSqlcodeCopy);
    // A list of its own, so the saved copy is written as one statement wherever the capture lands.
    save = listNew(makeAssign(hostTexts({implicitVariable(implicitSqlcodeCopy).name}, line),
                              hostTexts({implicitVariable(implicitSqlcode).name}, line), line));
  }
  AstNode* notFound = nullptr;
  if (outer->needsNotFound) {
    notFound = makeAssign(hostTexts({implicitVariable(implicitNotFound).name}, line),
                          hostTexts({"(CASE WHEN SYSKELINTERNAL_ROWCOUNT <= 0 THEN true ELSE false END)"}, line), line);
  }
  AstNode* found = nullptr;
  if (outer->needsFound) {
    found = makeAssign(hostTexts({implicitVariable(implicitFound).name}, line),
                       hostTexts({"(CASE WHEN SYSKELINTERNAL_ROWCOUNT > 0 THEN true ELSE false END)"}, line), line);
  }
  insertStatementsAfter(ctx, statement, {getDiag, save, notFound, found});
}

uint32_t maxDeclaredNameLength(const AstList* declarations) {
  uint32_t longest = 0;
  for (AstListCell* cell = listHeadCell(declarations); cell != nullptr; cell = cell->next) {
    const auto* decl = static_cast<const AstNode*>(cell->item);
    if (decl == nullptr || !isDeclarationNode(decl)) continue;
    const uint32_t length = static_cast<const DeclNode*>(decl)->nameLength;
    if (length > longest) longest = length;
  }
  return longest;
}
