// ast_print.cpp - the text form of a tree, for debugging views and golden tests of the parser. One
// field per line, two spaces per level; a list of tokens prints on one line as its texts joined by
// blanks, so a dump reads like the source it came from.
#include "ast/ast.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>

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

  void fields(const AstNode* n, int d) {
    switch (static_cast<AstNodeKind>(n->kind)) {
      case astNodeAssign: {
        auto* x = static_cast<const AssignNode*>(n);
        text(d, "label", x->label);
        child(d, "target", x->target);
        child(d, "targetField", x->targetField);
        child(d, "targetIndex", x->targetIndex);
        child(d, "value", x->value);
        child(d, "replacement", x->replacement);
        return;
      }
      case astNodeBlock: {
        auto* x = static_cast<const BlockNode*>(n);
        text(d, "label", x->label);
        number(d, "isAnonymous", x->isAnonymous);
        number(d, "maxNameLength", x->maxNameLength);
        child(d, "declarations", x->declarations);
        child(d, "initStatements", x->initStatements);
        child(d, "statements", x->statements);
        child(d, "handlers", x->handlers);
        return;
      }
      case astNodeCall: {
        auto* x = static_cast<const CallNode*>(n);
        text(d, "label", x->label);
        child(d, "name", x->name);
        child(d, "arguments", x->arguments);
        child(d, "replacement", x->replacement);
        return;
      }
      case astNodeCase: {
        auto* x = static_cast<const CaseNode*>(n);
        text(d, "label", x->label);
        child(d, "selector", x->selector);
        child(d, "whenClauses", x->whenClauses);
        child(d, "elseClause", x->elseClause);
        return;
      }
      case astNodeCaseExpr: {
        auto* x = static_cast<const CaseExprNode*>(n);
        child(d, "condition", x->condition);
        child(d, "statements", x->statements);
        return;
      }
      case astNodeClose: {
        auto* x = static_cast<const CloseNode*>(n);
        text(d, "label", x->label);
        child(d, "cursor", x->cursor);
        return;
      }
      case astNodePipe: {
        auto* x = static_cast<const PipeNode*>(n);
        text(d, "label", x->label);
        child(d, "value", x->value);
        return;
      }
      case astNodeContinue: {
        auto* x = static_cast<const ContinueNode*>(n);
        text(d, "label", x->label);
        child(d, "condition", x->condition);
        text(d, "target", x->target);
        return;
      }
      case astNodeExit: {
        auto* x = static_cast<const ExitNode*>(n);
        text(d, "label", x->label);
        child(d, "condition", x->condition);
        text(d, "target", x->target);
        return;
      }
      case astNodeCreateFunc: {
        auto* x = static_cast<const CreateFuncNode*>(n);
        child(d, "name", x->name);
        number(d, "orReplace", x->orReplace);
        child(d, "arguments", x->arguments);
        child(d, "returnType", x->returnType);
        child(d, "options", x->options);
        child(d, "body", x->body);
        return;
      }
      case astNodeCreatePkgBody: {
        auto* x = static_cast<const CreatePkgBodyNode*>(n);
        child(d, "name", x->name);
        number(d, "orReplace", x->orReplace);
        child(d, "members", x->members);
        child(d, "declarations", x->declarations);
        child(d, "prototypes", x->prototypes);
        child(d, "routines", x->routines);
        child(d, "initBlock", x->initBlock);
        return;
      }
      case astNodeCreatePkgHead: {
        auto* x = static_cast<const CreatePkgHeadNode*>(n);
        child(d, "name", x->name);
        number(d, "orReplace", x->orReplace);
        number(d, "authid", x->authid);
        child(d, "members", x->members);
        child(d, "declarations", x->declarations);
        child(d, "prototypes", x->prototypes);
        return;
      }
      case astNodeCreateType: {
        auto* x = static_cast<const CreateTypeNode*>(n);
        number(d, "orReplace", x->orReplace);
        child(d, "declaration", x->declaration);
        return;
      }
      case astNodeDropPkgBody: child(d, "name", static_cast<const DropPkgBodyNode*>(n)->name); return;
      case astNodeDropPkgHead: {
        auto* x = static_cast<const DropPkgHeadNode*>(n);
        child(d, "name", x->name);
        child(d, "rest", x->rest);
        return;
      }
      case astNodeCreateProc: {
        auto* x = static_cast<const CreateProcNode*>(n);
        child(d, "name", x->name);
        number(d, "orReplace", x->orReplace);
        number(d, "authid", x->authid);
        number(d, "readsSqlData", x->readsSqlData);
        number(d, "isAutonomous", x->isAutonomous);
        child(d, "arguments", x->arguments);
        child(d, "body", x->body);
        return;
      }
      case astNodeCreateTrigger: {
        auto* x = static_cast<const CreateTriggerNode*>(n);
        child(d, "name", x->name);
        number(d, "orReplace", x->orReplace);
        number(d, "timing", x->timing);
        number(d, "events", x->events);
        child(d, "updateColumns", x->updateColumns);
        child(d, "table", x->table);
        child(d, "referencing", x->referencing);
        number(d, "forEachRow", x->forEachRow);
        child(d, "follows", x->follows);
        number(d, "disabled", x->disabled);
        number(d, "compound", x->compound);
        child(d, "condition", x->condition);
        child(d, "body", x->body);
        return;
      }
      case astNodeVarDecl: {
        auto* x = static_cast<const VarDeclNode*>(n);
        number(d, "declClass", x->declClass);
        child(d, "names", x->names);
        number(d, "constant", x->constant);
        number(d, "notNull", x->notNull);
        child(d, "datatype", x->datatype);
        child(d, "defaultValue", x->defaultValue);
        return;
      }
      case astNodeCursorDecl: {
        auto* x = static_cast<const CursorDeclNode*>(n);
        number(d, "declClass", x->declClass);
        child(d, "name", x->name);
        child(d, "parameters", x->parameters);
        child(d, "query", x->query);
        return;
      }
      case astNodeRecordDecl: {
        auto* x = static_cast<const RecordDeclNode*>(n);
        number(d, "declClass", x->declClass);
        child(d, "name", x->name);
        child(d, "fields", x->fields);
        return;
      }
      case astNodeTableDecl: {
        auto* x = static_cast<const TableDeclNode*>(n);
        number(d, "declClass", x->declClass);
        child(d, "name", x->name);
        child(d, "elementType", x->elementType);
        child(d, "indexType", x->indexType);
        return;
      }
      case astNodeRefCursorDecl: {
        auto* x = static_cast<const RefCursorDeclNode*>(n);
        number(d, "declClass", x->declClass);
        child(d, "name", x->name);
        child(d, "returnType", x->returnType);
        return;
      }
      case astNodeVarrayDecl: {
        auto* x = static_cast<const VarrayDeclNode*>(n);
        number(d, "declClass", x->declClass);
        child(d, "name", x->name);
        child(d, "elementType", x->elementType);
        text(d, "limit", x->limit);
        return;
      }
      case astNodeExceptionDecl: {
        auto* x = static_cast<const ExceptionDeclNode*>(n);
        number(d, "declClass", x->declClass);
        child(d, "name", x->name);
        number(d, "errorCode", x->errorCode);
        child(d, "sqlstates", x->sqlstates);
        return;
      }
      case astNodeSubtype: {
        auto* x = static_cast<const SubtypeNode*>(n);
        number(d, "declClass", x->declClass);
        child(d, "names", x->names);
        child(d, "datatype", x->datatype);
        child(d, "range", x->range);
        number(d, "notNull", x->notNull);
        return;
      }
      case astNodeDynamic: {
        auto* x = static_cast<const DynamicNode*>(n);
        text(d, "label", x->label);
        child(d, "statement", x->statement);
        child(d, "into", x->into);
        child(d, "using", x->using_);
        child(d, "returning", x->returning);
        number(d, "bulkCollect", x->bulkCollect);
        child(d, "replacement", x->replacement);
        return;
      }
      case astNodeFetch: {
        auto* x = static_cast<const FetchNode*>(n);
        text(d, "label", x->label);
        child(d, "cursor", x->cursor);
        child(d, "into", x->into);
        number(d, "bulkCollect", x->bulkCollect);
        child(d, "limit", x->limit);
        child(d, "replacement", x->replacement);
        return;
      }
      case astNodeFor: {
        auto* x = static_cast<const ForNode*>(n);
        text(d, "label", x->label);
        number(d, "forKind", x->forKind);
        child(d, "loopVariable", x->loopVariable);
        number(d, "reverse", x->reverse);
        child(d, "range", x->range);
        child(d, "body", x->body);
        child(d, "replacement", x->replacement);
        return;
      }
      case astNodeFormalArg: {
        auto* x = static_cast<const FormalArgNode*>(n);
        child(d, "name", x->name);
        number(d, "mode", x->mode);
        number(d, "noCopy", x->noCopy);
        child(d, "datatype", x->datatype);
        child(d, "defaultValue", x->defaultValue);
        return;
      }
      case astNodeFuncProto: {
        auto* x = static_cast<const FuncProtoNode*>(n);
        child(d, "name", x->name);
        child(d, "arguments", x->arguments);
        child(d, "options", x->options);
        child(d, "returnType", x->returnType);
        return;
      }
      case astNodeGoto: {
        auto* x = static_cast<const GotoNode*>(n);
        text(d, "label", x->label);
        child(d, "target", x->target);
        return;
      }
      case astNodeHandler: {
        auto* x = static_cast<const HandlerNode*>(n);
        child(d, "conditions", x->conditions);
        child(d, "statements", x->statements);
        return;
      }
      case astNodeIf: {
        auto* x = static_cast<const IfNode*>(n);
        text(d, "label", x->label);
        child(d, "condition", x->condition);
        child(d, "thenStatements", x->thenStatements);
        child(d, "elsifs", x->elsifs);
        child(d, "elseStatements", x->elseStatements);
        return;
      }
      case astNodeElseIf: {
        auto* x = static_cast<const ElseIfNode*>(n);
        child(d, "condition", x->condition);
        child(d, "statements", x->statements);
        child(d, "next", x->next);
        return;
      }
      case astNodeLoop: {
        auto* x = static_cast<const LoopNode*>(n);
        text(d, "label", x->label);
        child(d, "statements", x->statements);
        return;
      }
      case astNodeNull: {
        auto* x = static_cast<const NullNode*>(n);
        text(d, "label", x->label);
        text(d, "comment", x->comment);
        return;
      }
      case astNodeOpen: {
        auto* x = static_cast<const OpenNode*>(n);
        text(d, "label", x->label);
        child(d, "cursor", x->cursor);
        child(d, "query", x->query);
        child(d, "arguments", x->arguments);
        child(d, "using", x->using_);
        child(d, "prepare", x->prepare);
        return;
      }
      case astNodePragma: {
        auto* x = static_cast<const PragmaNode*>(n);
        number(d, "pragmaCode", x->pragmaCode);
        child(d, "first", x->first);
        child(d, "second", x->second);
        return;
      }
      case astNodeProcProto: {
        auto* x = static_cast<const ProcProtoNode*>(n);
        child(d, "name", x->name);
        child(d, "arguments", x->arguments);
        return;
      }
      case astNodeRaise: {
        auto* x = static_cast<const RaiseNode*>(n);
        text(d, "label", x->label);
        child(d, "exceptionName", x->exceptionName);
        text(d, "sqlstate", x->sqlstate);
        return;
      }
      case astNodeReturn: {
        auto* x = static_cast<const ReturnNode*>(n);
        text(d, "label", x->label);
        child(d, "value", x->value);
        return;
      }
      case astNodeSelect: {
        auto* x = static_cast<const SelectNode*>(n);
        text(d, "label", x->label);
        child(d, "cte", x->cte);
        child(d, "selectList", x->selectList);
        number(d, "bulkCollect", x->bulkCollect);
        child(d, "into", x->into);
        child(d, "fromClause", x->fromClause);
        return;
      }
      case astNodeSqlStmt: {
        auto* x = static_cast<const SqlStmtNode*>(n);
        text(d, "label", x->label);
        text(d, "verb", x->verb);
        number(d, "verbCode", x->verbCode);
        child(d, "rest", x->rest);
        child(d, "returning", x->returning);
        return;
      }
      case astNodeToken: {
        auto* x = static_cast<const TokenNode*>(n);
        number(d, "code", x->code);
        text(d, "text", x->text);
        number(d, "dotted", x->dotted);
        return;
      }
      case astNodeTriggerArg: {
        auto* x = static_cast<const TriggerArgNode*>(n);
        number(d, "which", x->which);
        child(d, "alias", x->alias);
        return;
      }
      case astNodeWhile: {
        auto* x = static_cast<const WhileNode*>(n);
        text(d, "label", x->label);
        child(d, "condition", x->condition);
        child(d, "statements", x->statements);
        return;
      }
      case astNodeValues: {
        auto* x = static_cast<const ValuesNode*>(n);
        text(d, "label", x->label);
        child(d, "expressions", x->expressions);
        child(d, "into", x->into);
        return;
      }
      case astNodeSignal: {
        auto* x = static_cast<const SignalNode*>(n);
        text(d, "label", x->label);
        number(d, "isResignal", x->isResignal);
        text(d, "sqlstate", x->sqlstate);
        child(d, "message", x->message);
        return;
      }
      case astNodePrepare: {
        auto* x = static_cast<const PrepareNode*>(n);
        text(d, "label", x->label);
        text(d, "statementName", x->statementName);
        text(d, "sourceText", x->sourceText);
        child(d, "source", x->source);
        return;
      }
      case astNodeExecute: {
        auto* x = static_cast<const ExecuteNode*>(n);
        text(d, "label", x->label);
        text(d, "statementName", x->statementName);
        child(d, "into", x->into);
        child(d, "using", x->using_);
        return;
      }
      case astNodeGetDiag: {
        auto* x = static_cast<const GetDiagNode*>(n);
        text(d, "label", x->label);
        number(d, "diagKind", x->diagKind);
        child(d, "target", x->target);
        child(d, "item", x->item);
        return;
      }
      case astNodeUsingParam: {
        auto* x = static_cast<const UsingParam*>(n);
        number(d, "mode", x->mode);
        child(d, "value", x->value);
        return;
      }
      case astNodeList:
      case astNodeGeneric:
      case astNodeGenericStatement:
      case astNodeGenericContainer:
      case astNodeGenericLoop:
      case astNodeUnused13:
      case astNodeDecl: return;
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
