// routines.cpp - procedures, functions, their package prototypes, formal parameters and blocks. A
// routine's body block is always labelled by the transformer; whether a block ends a top-level statement
// (terminator, cut) or a nested one ("END;") is decided from its parent link.
#include "emit/emit_context.h"

#include "lexer/token_codes.h"

namespace {

const char* modeWord(ArgMode mode) {
  switch (mode) {
    case argIn: return "IN ";
    case argOut: return "OUT ";
    case argInOut: return "INOUT ";
  }
  return "";
}

bool hasOption(const AstList* options, uint32_t code) {
  for (AstListCell* cell = listHeadCell(options); cell != nullptr; cell = cell->next) {
    const auto* token = static_cast<const AstNode*>(cell->item);
    if (token != nullptr && token->kind == astNodeToken && static_cast<const TokenNode*>(token)->code == code) {
      return true;
    }
  }
  return false;
}

AstList* moduleNameOf(const AstNode* module) {
  if (module == nullptr) return nullptr;
  if (module->kind == astNodeCreatePkgHead) return static_cast<const CreatePkgHeadNode*>(module)->name;
  if (module->kind == astNodeCreatePkgBody) return static_cast<const CreatePkgBodyNode*>(module)->name;
  return nullptr;
}

// The head of a package member, routine or prototype: the module is altered member by member, and a
// private member (ADD) is told from a public one (PUBLISH) by the caller.
void emitModuleMemberHead(const AstNode* module, bool isPrivate, const char* objectWord, AstList* name,
                          EmitContext* ctx) {
  emitTokens(moduleNameOf(module), "ALTER MODULE ", " ", ctx);
  emitStrings({isPrivate ? "ADD " : "PUBLISH ", objectWord, " "}, ctx);
  emitTokens(name, "", "", ctx);
}

// The options of a function or function prototype after LANGUAGE SQL: DETERMINISTIC is a line of its
// own; the two the host cannot express are recorded, the rest have no text here.
void emitFunctionOptions(const AstNode* routine, AstList* options, EmitContext* ctx) {
  for (AstListCell* cell = listHeadCell(options); cell != nullptr; cell = cell->next) {
    const auto* option = static_cast<const AstNode*>(cell->item);
    if (option == nullptr || option->kind != astNodeToken) continue;
    switch (static_cast<const TokenNode*>(option)->code) {
      case T_DETERMINISTIC:
        emitIndent(ctx);
        emitStrings({"DETERMINISTIC\n"}, ctx);
        break;
      case T_CURRENT_USER: recordCurrentUserRights(routine, option, "CREATE [OR REPLACE] FUNCTION...", ctx); break;
      case T_ORDER:
        raiseUnsupported("ORDER ... BY ... not supported", "CREATE [OR REPLACE] FUNCTION...", routine, ctx->errors);
        break;
      default: break;
    }
  }
}

// A prototype listed directly in a package body is a private member: ADD instead of PUBLISH.
bool isInPackageBody(const AstNode* prototype) {
  const AstNode* list = prototype->parent;
  return list != nullptr && list->parent != nullptr && list->parent->kind == astNodeCreatePkgBody;
}

// A prototype's line marker, indentation and module member head.
void emitPrototypeHead(const AstNode* prototype, const AstNode* module, const char* objectWord, AstList* name,
                       EmitContext* ctx) {
  emitLineMarker(prototype->line, ctx);
  emitIndent(ctx);
  emitModuleMemberHead(module, isInPackageBody(prototype), objectWord, name, ctx);
}

// Nested statement blocks and handler bodies end with "END;"; the bodies of top-level statements end
// with the session's terminator instead.
bool endsTopLevelStatement(const BlockNode* block) {
  if (block->isAnonymous) return true;
  const AstNode* parent = block->parent;
  if (parent == nullptr) return false;
  if (parent->kind == astNodeCreateProc) return static_cast<const CreateProcNode*>(parent)->isNested == 0;
  return parent->kind == astNodeCreateFunc || parent->kind == astNodeCreateTrigger;
}

bool isSingleCallBlock(const BlockNode* block) {
  if (!block->isAnonymous || listCount(block->declarations) != 0 || listCount(block->handlers) != 0 ||
      listCount(block->initStatements) != 0 || listCount(block->statements) != 1) {
    return false;
  }
  const auto* only = static_cast<const AstNode*>(listFirst(block->statements));
  return only != nullptr && only->kind == astNodeCall && static_cast<const CallNode*>(only)->replacement == nullptr;
}

void emitBlockDeclarations(BlockNode* block, EmitContext* ctx) {
  for (AstListCell* cell = listHeadCell(block->declarations); cell != nullptr; cell = cell->next) {
    auto* decl = static_cast<AstNode*>(cell->item);
    if (decl == nullptr || decl->kind == astNodePragma) continue;
    if (decl->kind == astNodeCreateProc) {
      auto* procedure = static_cast<CreateProcNode*>(decl);
      procedure->isNested = 1;
      if (procedure->isAutonomous) {
        // The host has no autonomous routine inside a compound statement; what follows it is not written.
        raiseUnsupported("AUTONOMOUS_XACT not permitted", "AUTONOMOUS_XACT", decl, ctx->errors);
        return;
      }
      emitProcedure(decl, ctx);
      continue;
    }
    // An exception bound to an error code became SQLSTATE lists in the handlers; it declares nothing.
    if (isDeclarationNode(decl) && static_cast<const DeclNode*>(decl)->declClass == declExceptionInit) continue;
    emitDeclaration(decl, ctx);
  }
}

}  // namespace

void emitParamList(AstList* arguments, EmitContext* ctx) {
  if (arguments == nullptr) return;
  emitStrings({"("}, ctx);
  bool first = true;
  for (AstListCell* cell = listHeadCell(arguments); cell != nullptr; cell = cell->next) {
    if (!first) emitStrings({", "}, ctx);
    first = false;
    emitNode(static_cast<AstNode*>(cell->item), ctx);
  }
  emitStrings({")"}, ctx);
}

void emitDatatype(AstList* tokens, EmitContext* ctx) {
  const auto* last = static_cast<const TokenNode*>(listLast(tokens));
  if (last != nullptr && (last->code == T_PERCENT_TYPE || last->code == T_PERCENT_ROWTYPE)) {
    emitStrings({last->code == T_PERCENT_TYPE ? "ANCHOR TO " : "ANCHOR TO ROW "}, ctx);
    for (AstListCell* cell = listHeadCell(tokens); cell != nullptr && cell->item != last; cell = cell->next) {
      emitStrings({tokenText(cell->item)}, ctx);
    }
    return;
  }
  emitTokens(tokens, "", "", ctx);
}

// a IN OUT NUMBER  ->  INOUT a NUMBER
void emitFormalArg(AstNode* node, EmitContext* ctx) {
  auto* arg = static_cast<FormalArgNode*>(node);
  emitStrings({"\n"}, ctx);
  emitLineMarker(node->line, ctx);
  // A cursor's parameters are inputs only; the host would reject a mode word there.
  const AstNode* list = node->parent;
  const AstNode* owner = list != nullptr ? list->parent : nullptr;
  if (owner == nullptr || owner->kind != astNodeCursorDecl) emitStrings({modeWord(arg->mode)}, ctx);
  emitTokens(arg->name, "", " ", ctx);
  if (arg->datatype != nullptr) emitDatatype(arg->datatype, ctx);
  if (arg->defaultValue != nullptr) emitTokens(arg->defaultValue, " DEFAULT ", "", ctx);
}

// CREATE PROCEDURE p (a NUMBER) IS BEGIN ... END;  ->  CREATE PROCEDURE p(IN a NUMBER) SPECIFIC p LANGUAGE SQL <body>
void emitProcedure(AstNode* node, EmitContext* ctx) {
  auto* procedure = static_cast<CreateProcNode*>(node);
  beginStatement(node, ctx);
  if (procedure->module != nullptr) {
    emitModuleMemberHead(procedure->module, procedure->module->kind != astNodeCreatePkgHead, "PROCEDURE",
                         procedure->name, ctx);
  } else if (procedure->isNested) {
    emitTokens(procedure->name, "DECLARE PROCEDURE ", "", ctx);
  } else {
    writeCreateHead("PROCEDURE", procedure->name, procedure->orReplace != 0, ctx);
  }
  emitParamList(procedure->arguments, ctx);
  if (procedure->isNested) {
    emitStrings({"\n"}, ctx);
  } else {
    if (procedure->module == nullptr) emitTokens(procedure->name, " SPECIFIC ", "", ctx);
    if (procedure->readsSqlData) {
      emitStrings({"\n"}, ctx);
      emitIndent(ctx);
      emitStrings({"READS SQL DATA"}, ctx);
    }
    if (procedure->isAutonomous) {
      emitStrings({"\n"}, ctx);
      emitIndent(ctx);
      emitStrings({"AUTONOMOUS"}, ctx);
    }
    emitStrings({"\n"}, ctx);
    emitIndent(ctx);
    emitStrings({"LANGUAGE SQL\n"}, ctx);
  }
  {
    const NestedLevel nested(ctx);
    emitNode(procedure->body, ctx);
    emitStrings({"\n\n"}, ctx);
  }
  if (!procedure->isNested) finishStatement(SQLEXC_PROCEDURE, ctx);
  // Recorded after the cut: the statement is complete and the driver decides whether it is used.
  if (procedure->authid == 0) {
    recordCurrentUserRights(node, node, "CREATE [OR REPLACE] PROCEDURE...", ctx);
  }
}

// CREATE FUNCTION f RETURN NUMBER IS BEGIN ... END;  ->  CREATE FUNCTION f() RETURNS NUMBER ... LANGUAGE SQL <body>
void emitFunction(AstNode* node, EmitContext* ctx) {
  auto* function = static_cast<CreateFuncNode*>(node);
  beginStatement(node, ctx);
  if (function->module != nullptr) {
    emitModuleMemberHead(function->module, function->module->kind != astNodeCreatePkgHead, "FUNCTION", function->name,
                         ctx);
  } else {
    writeCreateHead("FUNCTION", function->name, function->orReplace != 0, ctx);
  }
  if (function->arguments != nullptr) {
    emitParamList(function->arguments, ctx);
  } else {
    emitStrings({"()"}, ctx);
  }
  if (function->module == nullptr) emitTokens(function->name, " SPECIFIC ", "", ctx);
  emitStrings({"\n"}, ctx);
  emitIndent(ctx);
  emitStrings({"RETURNS "}, ctx);
  if (hasOption(function->options, T_PIPELINED)) emitStrings({"TABLE ELEMENT OF "}, ctx);
  emitDatatype(function->returnType, ctx);
  emitStrings({"\n"}, ctx);
  emitIndent(ctx);
  emitStrings({"LANGUAGE SQL NO EXTERNAL ACTION\n"}, ctx);
  emitFunctionOptions(node, function->options, ctx);
  {
    const NestedLevel nested(ctx);
    emitNode(function->body, ctx);
    emitStrings({"\n\n"}, ctx);
  }
  finishStatement(SQLEXC_FUNCTION, ctx);
}

// PROCEDURE p (a NUMBER);  ->  ALTER MODULE m PUBLISH PROCEDURE p(IN a NUMBER) LANGUAGE SQL
void emitProcPrototype(AstNode* node, EmitContext* ctx) {
  auto* prototype = static_cast<ProcProtoNode*>(node);
  emitPrototypeHead(node, prototype->module, "PROCEDURE", prototype->name, ctx);
  emitParamList(prototype->arguments, ctx);
  emitStrings({" LANGUAGE SQL", ctx->terminator, "\n"}, ctx);
  finishStatement(SQLEXC_PROCEDURE, ctx);
}

// FUNCTION f RETURN NUMBER;  ->  ALTER MODULE m PUBLISH FUNCTION f() RETURNS NUMBER ...
void emitFuncPrototype(AstNode* node, EmitContext* ctx) {
  auto* prototype = static_cast<FuncProtoNode*>(node);
  emitPrototypeHead(node, prototype->module, "FUNCTION", prototype->name, ctx);
  if (prototype->arguments != nullptr) {
    emitParamList(prototype->arguments, ctx);
  } else {
    emitStrings({"()"}, ctx);
  }
  emitStrings({" RETURNS "}, ctx);
  if (hasOption(prototype->options, T_PIPELINED)) emitStrings({"TABLE ELEMENT OF "}, ctx);
  emitDatatype(prototype->returnType, ctx);
  emitStrings({" LANGUAGE SQL NO EXTERNAL ACTION "}, ctx);
  emitFunctionOptions(node, prototype->options, ctx);
  emitStrings({ctx->terminator, "\n"}, ctx);
  finishStatement(SQLEXC_FUNCTION, ctx);
}

// DECLARE x NUMBER; BEGIN ... EXCEPTION ... END;  ->  label: BEGIN DECLARE x NUMBER; DECLARE ... HANDLER ...; ... END
void emitBlock(AstNode* node, EmitContext* ctx) {
  auto* block = static_cast<BlockNode*>(node);
  beginStatement(node, ctx);
  if (isSingleCallBlock(block)) {
    // A lone call needs no compound statement around it: the host runs the CALL as it is.
    auto* call = static_cast<CallNode*>(listFirst(block->statements));
    beginStatement(call, ctx);
    emitTokens(call->name, "CALL ", "", ctx);
    if (call->arguments != nullptr) emitTokens(call->arguments, "(", ")", ctx);
    finishStatement(SQLEXC_ANONYMOUS_BLOCK, ctx);
    return;
  }
  emitStrings({"BEGIN\n"}, ctx);
  {
    const NestedLevel nested(ctx);
    emitBlockDeclarations(block, ctx);
    emitNode(block->handlers, ctx);
    emitNode(block->initStatements, ctx);
    emitNode(block->statements, ctx);
  }
  emitIndent(ctx);
  if (endsTopLevelStatement(block)) {
    emitStrings({"END", ctx->terminator, "\n"}, ctx);
  } else {
    emitStrings({"END;\n"}, ctx);
  }
  if (block->isAnonymous) finishStatement(SQLEXC_ANONYMOUS_BLOCK, ctx);
}
