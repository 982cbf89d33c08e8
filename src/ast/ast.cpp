// ast.cpp - node allocation, list operations, kind predicates and the generic walk. Lists append in
// constant time through their tail and concatenation relinks cells without copying.
#include "ast/ast.h"

#include <cstring>
#include <iterator>
#include <type_traits>

#include "ast/node_fields.h"
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
  template <FieldHolds holds, typename Field>
  void walkField(Field child) {
    if constexpr (holds == FieldHolds::tokens) {
      addTokens(child);
    } else if constexpr (holds == FieldHolds::tokensOrNode) {
      addTokensOrNode(child);
    } else {
      static_assert(holds == FieldHolds::node, "only tree fields have a walk rank");
      add(child);
    }
  }
};

// The children of one node in walk-rank order: each kind's fields are tried once per rank, and the
// compiler keeps only the field of each rank.
Children childrenOf(AstNode* node) {
  Children c;
  switch (static_cast<AstNodeKind>(node->kind)) {
#define NODE_FIELDS(kind, Type, walk)                    \
  case kind: {                                           \
    [[maybe_unused]] auto* x = static_cast<Type*>(node); \
    auto rankPass = [&]<int rank>() {
#define FIELD(field, holds, walkRank, printedName) \
  if constexpr (walkRank == rank) c.walkField<FieldHolds::holds>(x->field);
#define END_FIELDS                   \
  }                                  \
  ;                                  \
  rankPass.template operator()<1>(); \
  rankPass.template operator()<2>(); \
  rankPass.template operator()<3>(); \
  rankPass.template operator()<4>(); \
  rankPass.template operator()<5>(); \
  break;                             \
  }
#include "ast/node_fields.def"
#undef NODE_FIELDS
#undef FIELD
#undef END_FIELDS
  }
  return c;
}

enum WalkMark : bool { skipped = false, walked = true };

constexpr bool walkedKinds[astNodeKindCount] = {
#define NODE_FIELDS(kind, Type, walk) walk,
#define FIELD(field, holds, walkRank, printedName)
#define END_FIELDS
#include "ast/node_fields.def"
#undef NODE_FIELDS
#undef FIELD
#undef END_FIELDS
};

// The walk table is indexed by kind, so node_fields.def must list every kind once, in number order.
constexpr bool fieldsListedInOrder() {
  constexpr AstNodeKind kinds[] = {
#define NODE_FIELDS(kind, Type, walk) kind,
#define FIELD(field, holds, walkRank, printedName)
#define END_FIELDS
#include "ast/node_fields.def"
#undef NODE_FIELDS
#undef FIELD
#undef END_FIELDS
  };
  if (std::size(kinds) != astNodeKindCount) return false;
  for (uint32_t i = 0; i < astNodeKindCount; ++i)
    if (kinds[i] != i) return false;
  return true;
}
static_assert(fieldsListedInOrder(), "node_fields.def lists every kind once, in number order");

bool isSkippedByWalk(uint32_t kind) { return !walkedKinds[kind]; }

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
