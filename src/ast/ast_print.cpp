// ast_print.cpp - the text form of a tree, for debugging views and golden tests of the parser. One
// field per line, two spaces per level; a list of tokens prints on one line as its texts joined by
// blanks, so a dump reads like the source it came from.
#include "ast/ast.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "ast/node_fields.h"
#include "pool/pool.h"

namespace {

// A growing pool string; the old buffer goes back to the pool when it doubles.
class TreeText {
 public:
  void append(const char* s, size_t n) {
    if (length_ + n + 1 > capacity_) grow(length_ + n + 1);
    std::memcpy(buffer_ + length_, s, n);
    length_ += n;
    buffer_[length_] = '\0';
  }
  void append(const char* s) { append(s, std::strlen(s)); }
  // Drops a blank left at the end by a field label whose value goes on the next lines.
  void trimTrailingBlank() {
    if (length_ > 0 && buffer_[length_ - 1] == ' ') buffer_[--length_] = '\0';
  }
  void indent(int depth) {
    for (int i = 0; i < depth; ++i) append("  ", 2);
  }
  const char* text() {
    if (buffer_ == nullptr) append("", 0);
    return buffer_;
  }

 private:
  void grow(size_t needed) {
    size_t capacity = capacity_ == 0 ? 256 : capacity_ * 2;
    while (capacity < needed) capacity *= 2;
    auto* buffer = static_cast<char*>(ctxAlloc(capacity));
    if (length_ > 0) std::memcpy(buffer, buffer_, length_);
    ctxFree(buffer_);
    buffer_ = buffer;
    capacity_ = capacity;
  }
  char* buffer_ = nullptr;
  size_t length_ = 0;
  size_t capacity_ = 0;
};

bool isTokenList(const AstList* list) {
  for (const AstListCell* cell = list->head; cell != nullptr; cell = cell->next) {
    const auto* item = static_cast<const AstNode*>(cell->item);
    if (item == nullptr || item->kind != astNodeToken) return false;
  }
  return true;
}

class TreePrinter {
 public:
  explicit TreePrinter(TreeText& out) : out_(out) {}

  void node(const AstNode* n, int depth) {
    if (n == nullptr) {
      out_.append("null\n");
      return;
    }
    checkStackRoom(n->line);
    if (n->kind == astNodeList) {
      list(static_cast<const AstList*>(n), depth);
      return;
    }
    char head[96];
    std::snprintf(head, sizeof head, "%s line %d\n", nodeKindEnumName(n->kind), lineOf(n));
    out_.append(head);
    fields(n, depth + 1);
  }

 private:
  static int lineOf(const AstNode* n) { return n->line < 0 ? n->line : n->line + 1; }

  void list(const AstList* l, int depth) {
    if (l->head == nullptr) {
      out_.append("[]\n");
      return;
    }
    if (isTokenList(l)) {
      tokens(l);
      return;
    }
    out_.trimTrailingBlank();
    out_.append("\n");
    for (const AstListCell* cell = l->head; cell != nullptr; cell = cell->next) {
      out_.indent(depth + 1);
      out_.append("- ");
      node(static_cast<const AstNode*>(cell->item), depth + 1);
    }
  }

  void tokens(const AstList* l) {
    bool first = true;
    for (const AstListCell* cell = l->head; cell != nullptr; cell = cell->next) {
      const auto* token = static_cast<const TokenNode*>(cell->item);
      if (!first) out_.append(" ");
      first = false;
      out_.append(token->text == nullptr ? "<null>" : token->text);
    }
    const auto* firstToken = static_cast<const TokenNode*>(l->head->item);
    char where[48];
    std::snprintf(where, sizeof where, "   @%d\n", lineOf(firstToken));
    out_.append(where);
  }

  void label(int depth, const char* name) {
    out_.indent(depth);
    out_.append(name);
    out_.append(": ");
  }
  void child(int depth, const char* name, const AstNode* value) {
    if (value == nullptr) return;
    label(depth, name);
    node(value, depth);
  }
  void text(int depth, const char* name, const char* value) {
    if (value == nullptr) return;
    label(depth, name);
    out_.append("\"");
    out_.append(value);
    out_.append("\"\n");
  }
  void number(int depth, const char* name, int64_t value) {
    if (value == 0) return;
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%" PRId64 "\n", value);
    label(depth, name);
    out_.append(buffer);
  }

  template <FieldHolds holds, typename Field>
  void field(int depth, const char* name, Field value) {
    if (name == nullptr) return;
    if constexpr (holds == FieldHolds::other) {
      return;
    } else if constexpr (holds == FieldHolds::text) {
      text(depth, name, value);
    } else if constexpr (holds == FieldHolds::number) {
      number(depth, name, value);
    } else {
      child(depth, name, value);
    }
  }

  void fields(const AstNode* n, int d) {
    switch (static_cast<AstNodeKind>(n->kind)) {
#define NODE_FIELDS(kind, Type, walk) \
  case kind: {                        \
    [[maybe_unused]] const auto* x = static_cast<const Type*>(n);
#define FIELD(field_, holds, walkRank, printedName) field<FieldHolds::holds>(d, printedName, x->field_);
#define END_FIELDS \
  return;          \
  }
#include "ast/node_fields.def"
#undef NODE_FIELDS
#undef FIELD
#undef END_FIELDS
    }
  }

  TreeText& out_;
};

}  // namespace

const char* printTree(const AstNode* node) {
  TreeText out;
  TreePrinter printer(out);
  // A request's program list opens the dump with its items, not with an empty line.
  const auto* list = node != nullptr && node->kind == astNodeList ? static_cast<const AstList*>(node) : nullptr;
  if (list == nullptr || list->head == nullptr || isTokenList(list)) {
    printer.node(node, 0);
    return out.text();
  }
  for (const AstListCell* cell = list->head; cell != nullptr; cell = cell->next) {
    out.append("- ");
    printer.node(static_cast<const AstNode*>(cell->item), 0);
  }
  return out.text();
}
