// datatypes.cpp - PL/SQL datatypes to host datatypes, through alias pragmas and the session's type map,
// and the declarations the transformer adds or changes (implicit variables, hoisted defaults).
// Generated tokens carry T_STRING and the line of the node they were made for.
#include "transform/transform_context.h"

#include <cstdio>
#include <cstring>

#include "host/host.h"
#include "lexer/token_codes.h"
#include "pool/pool.h"
#include "transform/rewrites.h"

namespace {

// Same length, same texts token by token, ignoring ASCII case.
bool tokenListsEqual(const AstList* a, const AstList* b) {
  if (listCount(a) != listCount(b)) return false;
  AstListCell* x = listHeadCell(a);
  AstListCell* y = listHeadCell(b);
  for (; x != nullptr && y != nullptr; x = x->next, y = y->next) {
    if (!asciiEqualIgnoringCase(tokenText(x->item), tokenText(y->item))) return false;
  }
  return true;
}

// The words of a map entry that start the type, or null when the entry does not apply; `rest` gets the
// first cell after the matched words.
bool matchesPrefix(const TypeMapEntry& entry, const AstList* type, AstListCell** rest) {
  AstListCell* typeCell = listHeadCell(type);
  for (AstListCell* word = listHeadCell(entry.plsqlWords); word != nullptr; word = word->next) {
    if (typeCell == nullptr || !asciiEqualIgnoringCase(tokenText(word->item), tokenText(typeCell->item))) return false;
    typeCell = typeCell->next;
  }
  *rest = typeCell;
  return true;
}

AstList* declarationsOf(const AstNode* scope) {
  if (scope->kind == astNodeBlock) return static_cast<const BlockNode*>(scope)->declarations;
  if (scope->kind == astNodeCreatePkgBody) return static_cast<const CreatePkgBodyNode*>(scope)->declarations;
  if (scope->kind == astNodeCreatePkgHead) return static_cast<const CreatePkgHeadNode*>(scope)->declarations;
  return nullptr;
}

// A weak REF CURSOR type of a block is the host's plain CURSOR; package types keep their names. The
// innermost scope that declares the name decides, through the first such declaration it holds.
AstList* resolveRefCursorType(AstList* type, const TransformContext* ctx) {
  for (const AstNode* scope = type->parent; scope != nullptr; scope = scope->parent) {
    const AstList* declarations = declarationsOf(scope);
    if (declarations == nullptr) continue;
    for (AstListCell* cell = listHeadCell(ctx->refCursorTypes); cell != nullptr; cell = cell->next) {
      const auto* cursorType = static_cast<const RefCursorDeclNode*>(cell->item);
      if (cursorType->parent != declarations || cursorType->declClass != declRefCursor) continue;
      if (!tokenListsEqual(cursorType->name, type)) continue;
      if (isPackageNode(scope) || cursorType->returnType != nullptr) return type;
      return listNew(newTokenNode(T_STRING, "CURSOR", static_cast<const AstNode*>(listFirst(type))->line));
    }
  }
  return type;
}

}  // namespace

bool isLiteralToken(const void* item) {
  switch (tokenCode(item)) {
    case T_DIGITS:
    case T_HEXLIT:
    case T_NUMERICNO:
    case T_STRING:
    case T_NULL: return true;
    default: return false;
  }
}

AstList* copyTokens(const AstList* tokens, int32_t line) {
  AstList* copy = nullptr;
  for (AstListCell* cell = listHeadCell(tokens); cell != nullptr; cell = cell->next) {
    copy = listAppend(copy, newTokenNode(T_STRING, tokenText(cell->item), line));
  }
  return copy;
}

const char* nextBlockLabel(TransformContext* ctx) {
  char text[48];
  std::snprintf(text, sizeof text, "SYSKELINTERNAL_BLOCK%u", ctx->nameCounter++);
  return ctxStrdup(text);
}

// "SYSKELINTERNAL_%08x", formatted by hand: the bulk and dynamic rewrites take a name per statement.
const char* nextGeneratedName(TransformContext* ctx) {
  static constexpr char prefix[] = "SYSKELINTERNAL_";
  constexpr size_t prefixLength = sizeof prefix - 1;
  auto* text = static_cast<char*>(ctxAlloc(prefixLength + 8 + 1));
  std::memcpy(text, prefix, prefixLength);
  const uint32_t number = ctx->nameCounter++;
  for (int i = 0; i < 8; ++i) text[prefixLength + i] = "0123456789abcdef"[(number >> (28 - 4 * i)) & 0xfu];
  text[prefixLength + 8] = '\0';
  return text;
}

// Called with the type of a node already linked into the tree, so the scope search can go outward.
AstList* rewriteDatatype(AstList* typeTokens, TransformContext* ctx, bool forParameter) {
  if (typeTokens == nullptr || listCount(typeTokens) == 0) return typeTokens;
  const uint32_t lastCode = tokenCode(listLast(typeTokens));
  const int32_t line = static_cast<const AstNode*>(listFirst(typeTokens))->line;
  if (lastCode == T_PERCENT_TYPE || lastCode == T_PERCENT_ROWTYPE) {
    for (AstListCell* cell = listHeadCell(ctx->aliasPragmas); cell != nullptr; cell = cell->next) {
      const auto* pragma = static_cast<const PragmaNode*>(cell->item);
      if (tokenListsEqual(pragma->first, typeTokens)) return copyTokens(pragma->second, line);
    }
    return typeTokens;
  }
  const char* firstText = tokenText(listFirst(typeTokens));
  const size_t firstLength = firstText != nullptr ? std::strlen(firstText) : 0;
  for (uint32_t i = 0; i < ctx->typeMapCount; ++i) {
    TypeMapEntry& entry = ctx->typeMap[i];
    // A row whose first word differs cannot be a prefix of the type.
    if (firstText != nullptr && entry.firstWord != nullptr &&
        (entry.firstWordLength != firstLength || !asciiEqualIgnoringCaseN(firstText, entry.firstWord, firstLength))) {
      continue;
    }
    splitTypeMapEntry(&entry);
    AstListCell* rest = nullptr;
    if (!matchesPrefix(entry, typeTokens, &rest)) continue;
    AstList* mapped = copyTokens(entry.hostWords, line);
    for (; rest != nullptr; rest = rest->next) mapped = listAppend(mapped, rest->item);
    const char* suffix = forParameter ? entry.paramSuffix : entry.declSuffix;
    if (listCount(mapped) == listCount(entry.hostWords) && suffix != nullptr) {
      mapped = listAppend(mapped, newTokenNode(T_STRING, suffix, line));
    }
    return mapped;
  }
  return resolveRefCursorType(typeTokens, ctx);
}

namespace {

constexpr ImplicitVariableRow implicitVariableRows[] = {
    {"SQLCODE", "INTEGER", "0"},
    {"SQLSTATE", "CHAR(5)", "'00000'"},
    {"SYSKELINTERNAL_SQLCODE", "INTEGER", "0"},
    {"SYSKELINTERNAL_SQLSTATE", "CHAR(5)", "'00000'"},
    {"SYSKELINTERNAL_SQLERRM", "VARCHAR(500)", nullptr},
    {"SYSKELINTERNAL_SQLERRM_0", "VARCHAR(500)", "'SQL0000W'"},
    {"SYSKELINTERNAL_ROWCOUNT", "INTEGER", nullptr},
    {"SYSKELINTERNAL_FOUND", "BOOLEAN", nullptr},
    {"SYSKELINTERNAL_NOTFOUND", "BOOLEAN", nullptr},
    {"SYSKELINTERNAL_EXTEND_IDX", "INTEGER", nullptr},
    {"SYSKELINTERNAL_EXTEND_LAST", "INTEGER", nullptr},
    {"SYSKELINTERNAL_BULKCOLLECT_INDEX", "INTEGER", "0"},
    {"SYSKELINTERNAL_BULKCOLLECT_LIMIT", "INTEGER", "0"},
    {"SYSKELINTERNAL_STMT_TEXT", "CLOB(1M)", nullptr},
};
static_assert(sizeof implicitVariableRows / sizeof implicitVariableRows[0] == implicitVariableCount,
              "one row per implicit variable");
static_assert(implicitVariableCount <= 32, "BlockNode::implicitDeclared has a bit per implicit variable");

}  // namespace

const ImplicitVariableRow& implicitVariable(ImplicitVariable which) { return implicitVariableRows[which]; }

void declareImplicit(BlockNode* block, ImplicitVariable which) {
  // Rewrites ask for the same variables once per statement; searching a long declaration section each
  // time would make a routine with many of them quadratic.
  const uint32_t bit = 1u << which;
  if ((block->implicitDeclared & bit) != 0) return;
  const ImplicitVariableRow& row = implicitVariableRows[which];
  declareImplicitVariable(block, row.name, row.type, row.defaultValue);
  block->implicitDeclared |= bit;
}

void declareImplicitVariable(BlockNode* block, const char* name, const char* type, const char* defaultValue) {
  for (AstListCell* cell = listHeadCell(block->declarations); cell != nullptr; cell = cell->next) {
    const auto* decl = static_cast<const AstNode*>(cell->item);
    if (decl == nullptr || decl->kind != astNodeVarDecl) continue;
    const auto* variable = static_cast<const VarDeclNode*>(decl);
    if (variable->declClass == declVariable && listCount(variable->names) == 1 &&
        asciiEqualIgnoringCase(tokenText(listFirst(variable->names)), name)) {
      return;
    }
  }
  auto* variable = makeNode<VarDeclNode>(astNodeVarDecl, -1);
  variable->declClass = declVariable;
  variable->names = listNew(newTokenNode(T_STRING, name, -1));
  variable->datatype = listNew(newTokenNode(T_STRING, type, -1));
  if (defaultValue != nullptr) variable->defaultValue = listNew(newTokenNode(T_STRING, defaultValue, -1));
  variable->nameLength = static_cast<uint32_t>(std::strlen(name));

  // After the leading type declarations and the variables and cursors that follow them.
  AstListCell* insertAfter = nullptr;
  AstListCell* cell = listHeadCell(block->declarations);
  for (; cell != nullptr && cell->item != nullptr && isTypeDeclarationNode(static_cast<AstNode*>(cell->item));
       cell = cell->next) {
    insertAfter = cell;
  }
  for (; cell != nullptr && cell->item != nullptr &&
         (static_cast<AstNode*>(cell->item)->kind == astNodeVarDecl ||
          static_cast<AstNode*>(cell->item)->kind == astNodeCursorDecl);
       cell = cell->next) {
    insertAfter = cell;
  }
  if (insertAfter != nullptr) {
    listInsertAfter(variable, insertAfter->item, block->declarations);
  } else {
    block->declarations = listPrepend(block->declarations, variable);
  }
  block->declarations->parent = block;
  variable->parent = block->declarations;
}

void hoistDefault(VarDeclNode* variable, TransformContext* ctx) {
  if (variable->defaultValue == nullptr) return;
  const AstNode* list = variable->parent;
  AstNode* owner = list != nullptr ? list->parent : nullptr;
  if (owner == nullptr) return;
  if (isPackageNode(owner)) {
    // A module variable's default is an expression the host evaluates once; parentheses keep it whole.
    const int32_t line = variable->line;
    AstList* wrapped = listNew(newTokenNode(T_STRING, "(", line));
    wrapped = listConcat(wrapped, variable->defaultValue);
    variable->defaultValue = listAppend(wrapped, newTokenNode(T_STRING, ")", line));
    return;
  }
  if (owner->kind == astNodeRecordDecl) {
    raiseUnsupported("DEFAULT values not supported in RECORD types",
                     "DEFAULT or :=", static_cast<const AstNode*>(listFirst(variable->defaultValue)), ctx->errors);
    return;
  }
  if (listCount(variable->defaultValue) == 1 && isLiteralToken(listFirst(variable->defaultValue))) return;
  if (owner->kind != astNodeBlock) return;
  auto* block = static_cast<BlockNode*>(owner);
  auto* assign = makeNode<AssignNode>(astNodeAssign, variable->line);
  assign->target = variable->names;
  assign->value = variable->defaultValue;
  variable->defaultValue = nullptr;
  variable->constant = 0;
  block->initStatements = listAppend(block->initStatements, assign);
  block->initStatements->parent = block;
  // The name and the value were visited with the declaration; visiting them again would run the token
  // rewrites twice.
  assign->parent = block->initStatements;
  if (!isExtended(ctx, extendCorrections)) return;
  // v_cursor INTEGER := DBMS_SQL.OPEN_CURSOR: the host has the routine only as a procedure, so the
  // default becomes the CALL an assignment statement of it becomes.
  AstNode* call = rewriteRestrictedCall(assign, ctx);
  if (call == nullptr) return;
  assign->replacement = call;
  visit(call, assign, ctx);
  recordNote(ctx->notes, noteRemark, "restricted call in a declaration's default written as a CALL", variable->line + 1,
             tokenText(static_cast<AstNode*>(listFirst(assign->value))), extendCorrections);
}

namespace {

// The blank-separated words of a map name as T_STRING tokens.
AstList* splitWords(const char* name) {
  AstList* words = nullptr;
  char* state = nullptr;
  for (char* word = splitTokens(ctxStrdup(name), " \t", &state); word != nullptr;
       word = splitTokens(nullptr, " \t", &state)) {
    words = listAppend(words, newTokenNode(T_STRING, word, -1));
  }
  return words;
}

}  // namespace

void buildTypeMap(TransformContext* ctx, const TypeMapRow* rows) {
  const size_t count = rows != nullptr ? typeMapRowCount(rows) : 0;
  ctx->typeMapCount = static_cast<uint32_t>(count);
  if (count == 0) return;
  ctx->typeMap = static_cast<TypeMapEntry*>(ctxAlloc(count * sizeof(TypeMapEntry)));
  for (size_t i = 0; i < count; ++i) {
    TypeMapEntry& entry = ctx->typeMap[i];
    entry.plsqlName = rows[i].plsqlName;
    entry.hostName = rows[i].hostName;
    // The first word as the split would find it: after any blanks, up to the next blank.
    const char* word = entry.plsqlName + std::strspn(entry.plsqlName, " \t");
    const size_t length = std::strcspn(word, " \t");
    entry.firstWord = length == 0 ? nullptr : word;
    entry.firstWordLength = length;
    entry.split = false;
    entry.plsqlWords = nullptr;
    entry.hostWords = nullptr;
    entry.declSuffix = rows[i].declSuffix;
    entry.paramSuffix = rows[i].paramSuffix;
  }
}

void splitTypeMapEntry(TypeMapEntry* entry) {
  if (entry->split) return;
  entry->plsqlWords = splitWords(entry->plsqlName);
  entry->hostWords = splitWords(entry->hostName);
  entry->split = true;
}
