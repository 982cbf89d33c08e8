// ast.cpp - node allocation, list operations, kind predicates and the generic walk. Lists append in
// constant time through their tail and concatenation relinks cells without copying.
#include "ast/ast.h"

#include <cstring>
#include <type_traits>

#include "host/host.h"
#include "pool/pool.h"

static_assert(std::is_trivially_destructible_v<AstListCell>);

namespace {

struct KindInfo {
  uint32_t number;
  const char* name;
  const char* enumName;
  bool isStatement;
  uint32_t families;
};

constexpr KindInfo kindInfo[astNodeKindCount] = {
#define NODE_KIND(number, enumerator, name, isStatement, families) {number, name, #enumerator, isStatement, families},
#include "ast/node_kinds.def"
#undef NODE_KIND
};

// Every table indexed by kind is built from the list in this order, so the list must run 0, 1, 2, ...
constexpr bool kindsNumberedInOrder() {
  for (uint32_t i = 0; i < astNodeKindCount; ++i)
    if (kindInfo[i].number != i) return false;
  return true;
}
static_assert(kindsNumberedInOrder(), "node_kinds.def lists every kind once, numbered in order from 0");

bool inFamily(const AstNode* node, KindFamily family) {
  return node != nullptr && node->kind < astNodeKindCount && (kindInfo[node->kind].families & family) != 0;
}

AstListCell* newCell(void* item) {
  auto* cell = static_cast<AstListCell*>(ctxAlloc(sizeof(AstListCell)));
  cell->item = item;
  cell->next = nullptr;
  return cell;
}

}  // namespace

const char* tokenText(const void* item) {
  const auto* node = static_cast<const AstNode*>(item);
  if (node == nullptr || node->kind != astNodeToken) return nullptr;
  return static_cast<const TokenNode*>(node)->text;
}

uint32_t tokenCode(const void* item) {
  const auto* node = static_cast<const AstNode*>(item);
  if (node == nullptr || node->kind != astNodeToken) return 0;
  return static_cast<const TokenNode*>(node)->code;
}

AstNode* newNode(uint64_t size, uint32_t kind, int32_t line) {
  auto* node = static_cast<AstNode*>(ctxAlloc(size));
  if (node == nullptr) return nullptr;  // no compilation on this thread
  std::memset(node, 0, size);
  node->kind = kind;
  node->line = line;
  return node;
}

TokenNode* newTokenNode(uint32_t code, const char* text, int32_t line) {
  // Token nodes are the most numerous allocation of a compilation; the node and its text share one
  // pool block (token texts are never freed on their own).
  const size_t length = text == nullptr ? 0 : std::strlen(text) + 1;
  auto* token = static_cast<TokenNode*>(newNode(sizeof(TokenNode) + length, astNodeToken, line));
  token->code = code;
  if (text != nullptr) {
    char* copy = reinterpret_cast<char*>(token + 1);
    std::memcpy(copy, text, length);
    token->text = copy;
  }
  return token;
}

AstList* listNew(void* item) {
  if (item == nullptr) return nullptr;
  auto* list = makeNode<AstList>(astNodeList, -1);
  AstListCell* cell = newCell(item);
  list->count = 1;
  list->head = cell;
  list->tail = cell;
  return list;
}

AstList* listAppend(AstList* list, void* item) {
  if (item == nullptr) return list;
  if (list == nullptr) return listNew(item);
  AstListCell* cell = newCell(item);
  if (list->tail == nullptr) {
    list->head = cell;
  } else {
    list->tail->next = cell;
  }
  list->tail = cell;
  ++list->count;
  list->plainTokens = 0;
  return list;
}

AstList* listPrepend(AstList* list, void* item) {
  if (item == nullptr) return list;
  if (list == nullptr) return listNew(item);
  AstListCell* cell = newCell(item);
  cell->next = list->head;
  list->head = cell;
  if (list->tail == nullptr) list->tail = cell;
  ++list->count;
  list->plainTokens = 0;
  return list;
}

AstList* listConcat(AstList* a, AstList* b) {
  if (a == nullptr) return b;
  if (b == nullptr) return a;
  if (b->head == nullptr) return a;
  if (a->head == nullptr) {
    a->head = b->head;
  } else {
    a->tail->next = b->head;
  }
  a->tail = b->tail;
  a->count += b->count;
  a->plainTokens = 0;
  return a;
}

AstList* listAppendCells(AstList* list, AstListCell* firstCell) {
  if (firstCell == nullptr) return list;
  if (list == nullptr) {
    list = makeNode<AstList>(astNodeList, -1);
  }
  if (list->tail == nullptr) {
    list->head = firstCell;
  } else {
    list->tail->next = firstCell;
  }
  AstListCell* cell = firstCell;
  uint32_t added = 1;
  while (cell->next != nullptr) {
    cell = cell->next;
    ++added;
  }
  list->tail = cell;
  list->count += added;
  list->plainTokens = 0;
  return list;
}

void listInsertAfter(void* item, void* afterItem, AstList* list) {
  if (list == nullptr) return;
  for (AstListCell* cell = list->head; cell != nullptr; cell = cell->next) {
    if (cell->item != afterItem) continue;
    AstListCell* inserted = newCell(item);
    inserted->next = cell->next;
    cell->next = inserted;
    if (list->tail == cell) list->tail = inserted;
    ++list->count;
    list->plainTokens = 0;
    return;
  }
}

AstList* listFilter(AstList* list, ListPredicate predicate) {
  if (list == nullptr) return nullptr;
  AstList* result = nullptr;
  for (AstListCell* cell = list->head; cell != nullptr; cell = cell->next) {
    if (cell->item == nullptr) continue;
    if (predicate != nullptr && !predicate(list, cell)) continue;
    result = listAppend(result, cell->item);
  }
  return result;
}

void* listFirst(const AstList* list) { return list == nullptr || list->head == nullptr ? nullptr : list->head->item; }

void* listLast(const AstList* list) { return list == nullptr || list->tail == nullptr ? nullptr : list->tail->item; }

void* listNth(const AstList* list, uint32_t n) {
  if (list == nullptr) return nullptr;
  uint32_t index = 1;
  for (AstListCell* cell = list->head; cell != nullptr; cell = cell->next, ++index) {
    if (index == n) return cell->item;
  }
  return nullptr;
}

uint32_t listCount(const AstList* list) { return list == nullptr ? 0 : list->count; }

AstListCell* listHeadCell(const AstList* list) { return list == nullptr ? nullptr : list->head; }

void listRemoveFirst(AstList* list) {
  if (list == nullptr || list->head == nullptr) return;
  AstListCell* cell = list->head;
  list->head = cell->next;
  if (list->head == nullptr) list->tail = nullptr;
  --list->count;
  ctxFree(cell);
}

void listRemoveAfter(AstList* list, AstListCell* cell, AstListCell* prev) {
  if (list == nullptr || cell == nullptr) return;
  if (prev == nullptr) {
    list->head = cell->next;
  } else {
    prev->next = cell->next;
  }
  if (list->tail == cell) list->tail = prev;
  --list->count;
  ctxFree(cell);
}

void listForEach(AstList* list, ListVisitor fn, void* arg) {
  if (list == nullptr) return;
  for (AstListCell* cell = list->head; cell != nullptr; cell = cell->next) fn(list, cell->item, arg);
}

int listNamesEqual(const AstList* a, const AstList* b) {
  const AstListCell* left = listHeadCell(a);
  const AstListCell* right = listHeadCell(b);
  for (; left != nullptr; left = left->next, right = right->next) {
    if (right == nullptr) return 0;
    if (!asciiEqualIgnoringCase(tokenText(left->item), tokenText(right->item))) return 0;
  }
  return 1;
}

int listNamesMatch(const AstList* a, const AstList* b, int mode) {
  if (a == nullptr) return b == nullptr ? 1 : 0;
  if (b == nullptr) return 0;
  const AstListCell* left = a->head;
  const AstListCell* right = b->head;
  for (; left != nullptr && right != nullptr; left = left->next, right = right->next) {
    if (!asciiEqualIgnoringCase(tokenText(left->item), tokenText(right->item))) return 0;
  }
  if (mode == 1) return 1;
  return listCount(a) == listCount(b) ? 1 : 0;
}

bool isStatementNode(const AstNode* node) {
  return node != nullptr && node->kind < astNodeKindCount && kindInfo[node->kind].isStatement;
}

bool isRoutineNode(const AstNode* node) { return inFamily(node, kindRoutine); }

bool isPackageNode(const AstNode* node) { return inFamily(node, kindPackage); }

bool isNotPackageNode(const AstNode* node) { return !isPackageNode(node); }

bool isDeclarationNode(const AstNode* node) { return inFamily(node, kindDeclaration); }

bool isTypeDeclarationNode(const AstNode* node) { return inFamily(node, kindTypeDeclaration); }

bool isLoopNode(const AstNode* node) { return inFamily(node, kindLoop); }

const char* nodeKindName(uint32_t kind) {
  if (kind >= astNodeKindCount || kindInfo[kind].name == nullptr) return "UNKNOWN";
  return kindInfo[kind].name;
}

const char* nodeKindEnumName(uint32_t kind) {
  if (kind >= astNodeKindCount) return "UNKNOWN";
  return kindInfo[kind].enumName;
}

namespace {

// Collects a node's children in visiting order, marking the ones that hold only tokens.
struct Children : AstChildren {
  Children() : AstChildren{{}, 0, 0} {}
  void add(AstNode* child) { items[count++] = child; }
  void addTokens(AstNode* child) {
    tokenLists |= 1u << count;
    add(child);
  }
  // A field that holds either a select or the query's tokens.
  void addTokensOrNode(AstNode* child) {
    if (child != nullptr && child->kind == astNodeList) tokenLists |= 1u << count;
    add(child);
  }
};

Children childrenOf(AstNode* node) {
  Children c;
  switch (static_cast<AstNodeKind>(node->kind)) {
    case astNodeGeneric:
    case astNodeGenericLoop:
      // Abstract kinds are never built; their first field after the header would be a label.
      break;
    case astNodeClose: c.addTokens(static_cast<CloseNode*>(node)->cursor); break;
    case astNodePipe: c.addTokens(static_cast<PipeNode*>(node)->value); break;
    case astNodeContinue: c.addTokens(static_cast<ContinueNode*>(node)->condition); break;
    case astNodeExit: c.addTokens(static_cast<ExitNode*>(node)->condition); break;
    case astNodeDropPkgBody: c.addTokens(static_cast<DropPkgBodyNode*>(node)->name); break;
    case astNodeDropPkgHead: c.addTokens(static_cast<DropPkgHeadNode*>(node)->name); break;
    case astNodeExceptionDecl: c.addTokens(static_cast<ExceptionDeclNode*>(node)->name); break;
    case astNodeGoto: c.addTokens(static_cast<GotoNode*>(node)->target); break;
    case astNodeLoop: c.add(static_cast<LoopNode*>(node)->statements); break;
    case astNodeRaise: c.addTokens(static_cast<RaiseNode*>(node)->exceptionName); break;
    case astNodeReturn: c.addTokens(static_cast<ReturnNode*>(node)->value); break;
    case astNodeTriggerArg: c.addTokens(static_cast<TriggerArgNode*>(node)->alias); break;
    case astNodeCreateTrigger: break;
    case astNodeAssign: {
      auto* n = static_cast<AssignNode*>(node);
      c.addTokens(n->target);
      c.addTokens(n->targetField);
      c.addTokens(n->targetIndex);
      c.addTokens(n->value);
      break;
    }
    case astNodeBlock: {
      auto* n = static_cast<BlockNode*>(node);
      c.add(n->statements);
      c.add(n->handlers);
      c.add(n->declarations);
      break;
    }
    case astNodeCall: {
      auto* n = static_cast<CallNode*>(node);
      c.addTokens(n->name);
      c.addTokens(n->arguments);
      break;
    }
    case astNodeFetch: {
      auto* n = static_cast<FetchNode*>(node);
      c.addTokens(n->cursor);
      c.addTokens(n->into);
      break;
    }
    case astNodeValues: {
      auto* n = static_cast<ValuesNode*>(node);
      c.addTokens(n->expressions);
      c.addTokens(n->into);
      break;
    }
    case astNodeCase: {
      auto* n = static_cast<CaseNode*>(node);
      c.addTokens(n->selector);
      c.add(n->whenClauses);
      c.add(n->elseClause);
      break;
    }
    case astNodeCaseExpr: {
      auto* n = static_cast<CaseExprNode*>(node);
      c.addTokens(n->condition);
      c.add(n->statements);
      break;
    }
    case astNodeHandler: {
      auto* n = static_cast<HandlerNode*>(node);
      c.addTokens(n->conditions);
      c.add(n->statements);
      break;
    }
    case astNodeProcProto: {
      auto* n = static_cast<ProcProtoNode*>(node);
      c.addTokens(n->name);
      c.add(n->arguments);
      break;
    }
    case astNodeCreateFunc: {
      auto* n = static_cast<CreateFuncNode*>(node);
      c.add(n->arguments);
      c.addTokens(n->returnType);
      c.add(n->body);
      break;
    }
    case astNodeCreatePkgBody: {
      auto* n = static_cast<CreatePkgBodyNode*>(node);
      c.add(n->declarations);
      c.add(n->memberList1);
      c.add(n->routines);
      c.add(n->memberList2);
      c.add(n->initBlock);
      break;
    }
    case astNodeCreatePkgHead: c.addTokens(static_cast<CreatePkgHeadNode*>(node)->name); break;
    case astNodeCreateProc: {
      auto* n = static_cast<CreateProcNode*>(node);
      c.add(n->arguments);
      c.add(n->body);
      break;
    }
    case astNodeVarDecl: {
      auto* n = static_cast<VarDeclNode*>(node);
      c.addTokens(n->names);
      c.addTokens(n->datatype);
      c.addTokens(n->defaultValue);
      break;
    }
    case astNodeCursorDecl: {
      auto* n = static_cast<CursorDeclNode*>(node);
      c.addTokens(n->name);
      c.addTokensOrNode(n->query);
      c.add(n->parameters);
      break;
    }
    case astNodeRecordDecl: {
      auto* n = static_cast<RecordDeclNode*>(node);
      c.addTokens(n->name);
      c.add(n->fields);
      break;
    }
    case astNodeTableDecl: {
      auto* n = static_cast<TableDeclNode*>(node);
      c.addTokens(n->name);
      c.addTokens(n->elementType);
      break;
    }
    case astNodeRefCursorDecl: {
      auto* n = static_cast<RefCursorDeclNode*>(node);
      c.addTokens(n->name);
      c.addTokens(n->returnType);
      break;
    }
    case astNodeVarrayDecl: {
      auto* n = static_cast<VarrayDeclNode*>(node);
      c.addTokens(n->name);
      c.addTokens(n->elementType);
      break;
    }
    case astNodeDynamic: {
      auto* n = static_cast<DynamicNode*>(node);
      c.addTokens(n->statement);
      c.addTokens(n->into);
      c.add(n->using_);
      break;
    }
    case astNodeFor: {
      auto* n = static_cast<ForNode*>(node);
      c.addTokens(n->range);
      c.add(n->body);
      c.addTokens(n->loopVariable);
      c.add(n->replacement);
      break;
    }
    case astNodeFormalArg: {
      auto* n = static_cast<FormalArgNode*>(node);
      c.addTokens(n->name);
      c.addTokens(n->datatype);
      c.addTokens(n->defaultValue);
      break;
    }
    case astNodeFuncProto: {
      auto* n = static_cast<FuncProtoNode*>(node);
      c.addTokens(n->name);
      c.add(n->arguments);
      c.addTokens(n->returnType);
      break;
    }
    case astNodeIf: {
      auto* n = static_cast<IfNode*>(node);
      c.addTokens(n->condition);
      c.add(n->thenStatements);
      c.add(n->elsifs);
      c.add(n->elseStatements);
      break;
    }
    case astNodeElseIf: {
      auto* n = static_cast<ElseIfNode*>(node);
      c.addTokens(n->condition);
      c.add(n->statements);
      c.add(n->next);
      break;
    }
    case astNodeOpen: {
      auto* n = static_cast<OpenNode*>(node);
      c.addTokens(n->cursor);
      c.addTokensOrNode(n->query);
      c.addTokens(n->arguments);
      break;
    }
    case astNodePragma: {
      auto* n = static_cast<PragmaNode*>(node);
      c.addTokens(n->first);
      c.addTokens(n->second);
      break;
    }
    case astNodeExecute: {
      auto* n = static_cast<ExecuteNode*>(node);
      c.addTokens(n->into);
      c.addTokens(n->using_);
      break;
    }
    case astNodeGetDiag: {
      auto* n = static_cast<GetDiagNode*>(node);
      c.addTokens(n->target);
      c.addTokens(n->item);
      break;
    }
    case astNodeSelect: c.addTokens(static_cast<SelectNode*>(node)->fromClause); break;
    case astNodeSignal: c.addTokens(static_cast<SignalNode*>(node)->message); break;
    case astNodeSqlStmt: {
      auto* n = static_cast<SqlStmtNode*>(node);
      c.addTokens(n->rest);
      c.addTokens(n->returning);
      break;
    }
    case astNodeWhile: {
      auto* n = static_cast<WhileNode*>(node);
      c.addTokens(n->condition);
      c.add(n->statements);
      break;
    }
    case astNodeSubtype: {
      auto* n = static_cast<SubtypeNode*>(node);
      c.addTokens(n->names);
      c.addTokens(n->datatype);
      c.addTokens(n->range);
      break;
    }
    case astNodeNull:
    case astNodeToken:
    case astNodePrepare: break;
    case astNodeList:
    case astNodeGenericStatement:
    case astNodeGenericContainer:
    case astNodeUnused13:
    case astNodeCreateType:
    case astNodeDecl:
    case astNodeUsingParam:
      // Lists are walked cell by cell by the caller; the others are never visited.
      break;
  }
  return c;
}

bool isSkippedByWalk(uint32_t kind) {
  return kind == astNodeGenericStatement || kind == astNodeGenericContainer || kind == astNodeUnused13 ||
         kind == astNodeCreateType || kind == astNodeDecl || kind == astNodeUsingParam;
}

}  // namespace

AstChildren walkTreeChildren(AstNode* node) {
  if (node == nullptr || !isWalkedByTree(node)) return AstChildren{{}, 0, 0};
  return childrenOf(node);
}

bool isWalkedByTree(const AstNode* node) { return node->kind < astNodeKindCount && !isSkippedByWalk(node->kind); }

void walkStatements(AstNode* node, TreeVisitor fn, void* arg) {
  while (node != nullptr && isWalkedByTree(node) && node->kind != astNodeToken) {
    checkStackRoom(node->line);
    fn(node, arg);
    if (node->kind == astNodeList) {
      AstListCell* cell = static_cast<AstList*>(node)->head;
      if (cell == nullptr) return;
      for (; cell->next != nullptr; cell = cell->next) walkStatements(static_cast<AstNode*>(cell->item), fn, arg);
      node = static_cast<AstNode*>(cell->item);
      continue;
    }
    const Children children = childrenOf(node);
    // The last child that is not a token list is taken in the loop, as walkTree takes its last child.
    int last = children.count - 1;
    while (last >= 0 && (children.tokenLists & (1u << last)) != 0) --last;
    if (last < 0) return;
    for (int i = 0; i < last; ++i) {
      if ((children.tokenLists & (1u << i)) == 0) walkStatements(children.items[i], fn, arg);
    }
    node = children.items[last];
  }
}

void walkTree(AstNode* node, TreeVisitor fn, void* arg) {
  while (node != nullptr && node->kind < astNodeKindCount && !isSkippedByWalk(node->kind)) {
    // A token has no children: visiting it goes one frame below its list, which was checked.
    if (node->kind != astNodeToken) checkStackRoom(node->line);
    fn(node, arg);
    if (node->kind == astNodeList) {
      AstListCell* cell = static_cast<AstList*>(node)->head;
      if (cell == nullptr) return;
      for (; cell->next != nullptr; cell = cell->next) walkTree(static_cast<AstNode*>(cell->item), fn, arg);
      node = static_cast<AstNode*>(cell->item);
      continue;
    }
    Children children = childrenOf(node);
    if (children.count == 0) return;
    for (int i = 0; i + 1 < children.count; ++i) walkTree(children.items[i], fn, arg);
    node = children.items[children.count - 1];
  }
}
