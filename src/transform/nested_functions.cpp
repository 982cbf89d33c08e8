// nested_functions.cpp - the nested-functions extension: a FUNCTION declared in a declaration section
// becomes a routine of its own (a schema function beside the routine, or a private member of the same
// module) with a generated name, and every call to it is renamed. Runs before the walk, so the moved
// function is transformed like any other; a function it cannot move faithfully is refused with the reason.
#include "transform/rewrites.h"

#include <cstring>

#include "host/host.h"
#include "lexer/token_codes.h"
#include "pool/pool.h"

namespace {

// The names a nested function would see from where it is declared: each enclosing block's declarations
// and each enclosing routine's parameters and name, innermost first.
struct NameScope {
  const NameScope* outer;
  const AstList* declarations;  // a block's, or null
  const AstList* arguments;     // a routine's FormalArgNode items, or null
  const AstList* routineName;   // a routine's name tokens, or null
};

// The program being searched and where its moved functions go: before it in `programs` (the request's
// list, or its package body's members), named after `owner`.
struct Hoisting {
  AstList* programs;
  AstNode* program;
  const AstList* owner;
  bool isModuleMember;
  uint8_t orReplace;
  bool inAnonymousBlock;
  TransformContext* ctx;
};

const char* firstTokenText(const AstList* tokens) { return tokens != nullptr ? tokenText(listFirst(tokens)) : nullptr; }

// The first name a declaration introduces; null for kinds that name nothing a body can read.
const AstList* declaredName(const AstNode* decl) {
  switch (decl->kind) {
    case astNodeVarDecl: return static_cast<const VarDeclNode*>(decl)->names;
    case astNodeCursorDecl: return static_cast<const CursorDeclNode*>(decl)->name;
    case astNodeRecordDecl: return static_cast<const RecordDeclNode*>(decl)->name;
    case astNodeTableDecl: return static_cast<const TableDeclNode*>(decl)->name;
    case astNodeRefCursorDecl: return static_cast<const RefCursorDeclNode*>(decl)->name;
    case astNodeVarrayDecl: return static_cast<const VarrayDeclNode*>(decl)->name;
    case astNodeExceptionDecl: return static_cast<const ExceptionDeclNode*>(decl)->name;
    case astNodeSubtype: return static_cast<const SubtypeNode*>(decl)->names;
    case astNodeCreateProc: return static_cast<const CreateProcNode*>(decl)->name;
    default: return nullptr;
  }
}

bool namedIn(const AstList* names, const char* word, size_t length) {
  for (AstListCell* cell = listHeadCell(names); cell != nullptr; cell = cell->next) {
    const char* text = tokenText(cell->item);
    if (text != nullptr && std::strlen(text) == length && asciiEqualIgnoringCaseN(text, word, length)) return true;
  }
  return false;
}

// Whether `word` (its first `length` characters) names a parameter or declaration of `scope` itself.
// A nested function's own name is left out: calls to it are renamed, not refused.
bool declaresInScope(const NameScope* scope, const char* word, size_t length) {
  for (AstListCell* cell = listHeadCell(scope->arguments); cell != nullptr; cell = cell->next) {
    if (namedIn(static_cast<const FormalArgNode*>(cell->item)->name, word, length)) return true;
  }
  for (AstListCell* cell = listHeadCell(scope->declarations); cell != nullptr; cell = cell->next) {
    const auto* decl = static_cast<const AstNode*>(cell->item);
    if (decl == nullptr) continue;
    const AstList* names = declaredName(decl);
    if (names != nullptr && namedIn(names, word, length)) return true;
  }
  return false;
}

// The enclosing declaration `word` reads: its first part, or `routine.part` where routine is an enclosing
// routine's name. Null when the word reads nothing of the enclosing routines.
const char* enclosingNameRead(const NameScope* scope, const char* word) {
  const char* dot = std::strchr(word, '.');
  const size_t firstLength = dot != nullptr ? static_cast<size_t>(dot - word) : std::strlen(word);
  for (const NameScope* s = scope; s != nullptr; s = s->outer) {
    if (declaresInScope(s, word, firstLength)) return ctxStrndup(word, firstLength);
    if (dot == nullptr || !namedIn(s->routineName, word, firstLength)) continue;
    const char* second = dot + 1;
    const char* end = std::strchr(second, '.');
    const size_t length = end != nullptr ? static_cast<size_t>(end - second) : std::strlen(second);
    for (const NameScope* inner = scope; inner != nullptr; inner = inner->outer) {
      if (declaresInScope(inner, second, length)) return ctxStrndup(word, firstLength + 1 + length);
    }
  }
  return nullptr;
}

// The names a function declares for itself: its parameters and whatever any block or procedure inside
// it declares, one scope each. A word among them is the function's own, whatever the enclosing routine
// declares under that name.
void collectOwnScope(AstNode* node, void* arg) {
  auto** chain = static_cast<const NameScope**>(arg);
  const AstList* declarations = nullptr;
  const AstList* arguments = nullptr;
  if (node->kind == astNodeBlock) declarations = static_cast<BlockNode*>(node)->declarations;
  if (node->kind == astNodeCreateProc) arguments = static_cast<CreateProcNode*>(node)->arguments;
  if (declarations == nullptr && arguments == nullptr) return;
  auto* scope = static_cast<NameScope*>(ctxAlloc(sizeof(NameScope)));
  *scope = NameScope{*chain, declarations, arguments, nullptr};
  *chain = scope;
}

struct ReadCheck {
  const NameScope* enclosing;
  const NameScope* own;  // a chain of the function's own names
  const char* found;     // the first enclosing name read, or null
};

void checkToken(AstNode* node, void* arg) {
  auto* check = static_cast<ReadCheck*>(arg);
  if (check->found != nullptr || node->kind != astNodeToken) return;
  const auto* token = static_cast<const TokenNode*>(node);
  // A trigger's row images belong to the trigger: a function of its own has none.
  if (token->code == T_TRIG_VAR) {
    check->found = token->text;
    return;
  }
  if (token->code != T_WORD || token->text == nullptr) return;
  const char* dot = std::strchr(token->text, '.');
  const size_t firstLength = dot != nullptr ? static_cast<size_t>(dot - token->text) : std::strlen(token->text);
  for (const NameScope* s = check->own; s != nullptr; s = s->outer) {
    if (declaresInScope(s, token->text, firstLength)) return;
  }
  check->found = enclosingNameRead(check->enclosing, token->text);
}

struct Rename {
  const char* from;
  const char* to;
  const char* toCalled;  // `to` with an empty argument list
};

// A call without arguments gets its parentheses: the host reads a bare name as a variable.
void renameToken(AstNode* node, void* arg) {
  if (node->kind != astNodeList) return;
  const auto* rename = static_cast<const Rename*>(arg);
  for (AstListCell* cell = listHeadCell(static_cast<AstList*>(node)); cell != nullptr; cell = cell->next) {
    auto* token = static_cast<AstNode*>(cell->item);
    if (token == nullptr || token->kind != astNodeToken) continue;
    auto* word = static_cast<TokenNode*>(token);
    if (word->code != T_WORD || word->text == nullptr || !asciiEqualIgnoringCase(word->text, rename->from)) continue;
    // An expression's parser may hand its argument list on as one text, "(a, b)".
    const char* next = cell->next != nullptr ? tokenText(cell->next->item) : nullptr;
    const bool hasArguments = next != nullptr && next[0] == '(';
    word->text = hasArguments ? rename->to : rename->toCalled;
  }
}

const char* joinWithUnderscore(const char* a, const char* b, const char* suffix = "") {
  const size_t length = std::strlen(a) + 1 + std::strlen(b) + std::strlen(suffix) + 1;
  char* text = static_cast<char*>(ctxAlloc(length));
  hostSnprintf(text, length, "%s_%s%s", a, b, suffix);
  return text;
}

void searchNode(AstNode* node, const NameScope* scope, Hoisting* hoisting);

// Moves `function`, declared in `block` with `siblings` (the section's functions, itself among them,
// already out of the section) and seeing `scope`, out to a routine of its own, or
// refuses it. Either way it leaves the declaration section: nothing there could write it.
void hoistFunction(CreateFuncNode* function, BlockNode* block, AstList* siblings, const NameScope* scope,
                   Hoisting* hoisting) {
  TransformContext* ctx = hoisting->ctx;
  const char* name = firstTokenText(function->name);
  if (hoisting->inAnonymousBlock) {
    raiseUnsupported(
        "FUNCTION declared in an anonymous block or a package's initialization not supported: as a "
        "function of its own it would outlive the block",
        name, function, ctx->errors);
    return;
  }
  const NameScope parameters{nullptr, nullptr, function->arguments, nullptr};
  const NameScope* ownScope = &parameters;
  walkStatements(function->body, collectOwnScope, &ownScope);
  ReadCheck check{scope, ownScope, nullptr};
  walkTree(function->arguments, checkToken, &check);
  walkTree(function->returnType, checkToken, &check);
  walkTree(function->body, checkToken, &check);
  if (check.found != nullptr) {
    // A routine of its own cannot see the locals of the one that declared it, and the host declares no
    // function inside a compound statement.
    const char* format =
        "FUNCTION %s reads %s of the routine that declares it: a nested function that does so "
        "not supported";
    const size_t length = std::strlen(format) + std::strlen(name) + std::strlen(check.found);
    char* message = static_cast<char*>(ctxAlloc(length));
    hostSnprintf(message, length, format, name, check.found);
    raiseUnsupported(message, check.found, function, ctx->errors);
    return;
  }
  const char* generated = joinWithUnderscore(tokenText(listLast(hoisting->owner)), name);
  Rename rename{name, generated, joinWithUnderscore(tokenText(listLast(hoisting->owner)), name, "()")};
  walkTree(block, renameToken, &rename);
  for (AstListCell* cell = listHeadCell(siblings); cell != nullptr; cell = cell->next) {
    walkTree(static_cast<CreateFuncNode*>(cell->item)->body, renameToken, &rename);
  }
  // The owner's qualifier, if any, stays: the function is created where its routine is.
  AstList* newName = nullptr;
  for (AstListCell* cell = listHeadCell(hoisting->owner); cell != nullptr && cell->next != nullptr; cell = cell->next) {
    newName = listAppend(newName, hostText(tokenText(cell->item), function->line));
  }
  function->name = listAppend(newName, newTokenNode(T_WORD, generated, function->line));
  function->orReplace = hoisting->orReplace;
  insertItemBefore(hoisting->programs, function, hoisting->program);
  const char* format = "nested FUNCTION %s written as the %s %s, each call renamed";
  const char* where = hoisting->isModuleMember ? "private module function" : "function";
  const size_t length = std::strlen(format) + std::strlen(name) + std::strlen(where) + std::strlen(generated);
  char* message = static_cast<char*>(ctxAlloc(length));
  hostSnprintf(message, length, format, name, where, generated);
  recordNote(ctx->notes, noteRemark, message, function->line + 1, "FUNCTION", extendNestedFunctions);
  // Functions nested in this one are searched from its own scope, with the enclosing ones still outside.
  const NameScope inner{scope, nullptr, function->arguments, function->name};
  searchNode(function->body, &inner, hoisting);
}

bool isNotFunction(AstList*, AstListCell* cell) {
  const auto* node = static_cast<const AstNode*>(cell->item);
  return node == nullptr || node->kind != astNodeCreateFunc;
}

void searchBlock(BlockNode* block, const NameScope* scope, Hoisting* hoisting) {
  const NameScope inner{scope, block->declarations, nullptr, nullptr};
  AstList* functions = nullptr;
  for (AstListCell* cell = listHeadCell(block->declarations); cell != nullptr; cell = cell->next) {
    auto* decl = static_cast<AstNode*>(cell->item);
    if (decl != nullptr && decl->kind == astNodeCreateFunc) functions = listAppend(functions, decl);
  }
  if (functions != nullptr) {
    block->declarations = listFilter(block->declarations, isNotFunction);
    // Each still sees its siblings' names while it is checked: the declarations it is read against are
    // the section as written.
    const NameScope asWritten{
        scope, listConcat(listFilter(block->declarations, nullptr), listFilter(functions, nullptr)), nullptr, nullptr};
    for (AstListCell* cell = listHeadCell(functions); cell != nullptr; cell = cell->next) {
      hoistFunction(static_cast<CreateFuncNode*>(cell->item), block, functions, &asWritten, hoisting);
    }
  }
  const AstChildren children = walkTreeChildren(block);
  for (int i = 0; i < children.count; ++i) {
    if ((children.tokenLists & (1u << i)) == 0) searchNode(children.items[i], &inner, hoisting);
  }
}

void searchNode(AstNode* node, const NameScope* scope, Hoisting* hoisting) {
  if (node == nullptr || node->kind == astNodeToken) return;
  checkStackRoom(node->line);
  if (node->kind == astNodeList) {
    for (AstListCell* cell = listHeadCell(static_cast<AstList*>(node)); cell != nullptr; cell = cell->next) {
      searchNode(static_cast<AstNode*>(cell->item), scope, hoisting);
    }
    return;
  }
  if (node->kind == astNodeBlock) {
    searchBlock(static_cast<BlockNode*>(node), scope, hoisting);
    return;
  }
  if (node->kind == astNodeCreateProc) {
    const auto* procedure = static_cast<CreateProcNode*>(node);
    const NameScope inner{scope, nullptr, procedure->arguments, procedure->name};
    searchNode(procedure->body, &inner, hoisting);
    return;
  }
  if (node->kind == astNodeCreateFunc) {
    const auto* function = static_cast<CreateFuncNode*>(node);
    const NameScope inner{scope, nullptr, function->arguments, function->name};
    searchNode(function->body, &inner, hoisting);
    return;
  }
  if (node->kind == astNodeCreateTrigger) {
    searchNode(static_cast<CreateTriggerNode*>(node)->body, scope, hoisting);
    return;
  }
  const AstChildren children = walkTreeChildren(node);
  for (int i = 0; i < children.count; ++i) {
    if ((children.tokenLists & (1u << i)) == 0) searchNode(children.items[i], scope, hoisting);
  }
}

void searchProgram(AstList* programs, AstNode* program, Hoisting hoisting) {
  hoisting.programs = programs;
  hoisting.program = program;
  switch (program->kind) {
    case astNodeCreateProc:
      hoisting.owner = static_cast<CreateProcNode*>(program)->name;
      hoisting.orReplace = static_cast<CreateProcNode*>(program)->orReplace;
      break;
    case astNodeCreateFunc:
      hoisting.owner = static_cast<CreateFuncNode*>(program)->name;
      hoisting.orReplace = static_cast<CreateFuncNode*>(program)->orReplace;
      break;
    case astNodeCreateTrigger:
      hoisting.owner = static_cast<CreateTriggerNode*>(program)->name;
      hoisting.orReplace = static_cast<CreateTriggerNode*>(program)->orReplace;
      break;
    case astNodeBlock: hoisting.inAnonymousBlock = true; break;
    default: return;
  }
  searchNode(program, nullptr, &hoisting);
}

}  // namespace

void insertItemBefore(AstList* list, void* item, const void* before) {
  if (listFirst(list) == before) {
    listPrepend(list, item);
    return;
  }
  for (AstListCell* cell = listHeadCell(list); cell != nullptr; cell = cell->next) {
    if (cell->next != nullptr && cell->next->item == before) {
      listInsertAfter(item, cell->item, list);
      return;
    }
  }
}

void hoistNestedFunctions(AstList* root, TransformContext* ctx) {
  // The list grows before each program as functions move out of it; what moved needs no second search.
  AstList* programs = nullptr;
  for (AstListCell* cell = listHeadCell(root); cell != nullptr; cell = cell->next) {
    if (cell->item != nullptr) programs = listAppend(programs, cell->item);
  }
  for (AstListCell* cell = listHeadCell(programs); cell != nullptr; cell = cell->next) {
    auto* program = static_cast<AstNode*>(cell->item);
    if (program->kind != astNodeCreatePkgBody) {
      searchProgram(root, program, Hoisting{nullptr, nullptr, nullptr, false, 0, false, ctx});
      continue;
    }
    auto* package = static_cast<CreatePkgBodyNode*>(program);
    AstList* members = nullptr;
    for (AstListCell* member = listHeadCell(package->members); member != nullptr; member = member->next) {
      if (member->item != nullptr) members = listAppend(members, member->item);
    }
    for (AstListCell* member = listHeadCell(members); member != nullptr; member = member->next) {
      auto* routine = static_cast<AstNode*>(member->item);
      // The initialization block runs once, like an anonymous block: searched as one.
      if (routine->kind != astNodeCreateProc && routine->kind != astNodeCreateFunc && routine->kind != astNodeBlock) {
        continue;
      }
      searchProgram(package->members, routine, Hoisting{nullptr, nullptr, nullptr, true, 0, false, ctx});
    }
  }
}
