// packages.cpp - package heads and bodies: the parser's single member list is sorted into
// declarations, prototypes and routines, each member recording its package, and a body gets its
// initialization procedure SYS_INIT, which the writer adds to the module like any other procedure.
#include "transform/transform_context.h"

#include "lexer/token_codes.h"

namespace {

struct SortedMembers {
  AstList* declarations;
  AstList* prototypes;
  AstList* routines;
  AstNode* initBlock;
};

// Members of a kind the module has no place for (pragmas among them) are dropped; a package head
// has neither routines nor an initialization block, so those are dropped there too.
SortedMembers sortMembers(AstList* members, AstNode* package, bool isBody) {
  SortedMembers sorted{};
  for (AstListCell* cell = listHeadCell(members); cell != nullptr; cell = cell->next) {
    auto* member = static_cast<AstNode*>(cell->item);
    if (member == nullptr) continue;
    switch (static_cast<AstNodeKind>(member->kind)) {
      case astNodeFuncProto:
        static_cast<FuncProtoNode*>(member)->module = package;
        sorted.prototypes = listAppend(sorted.prototypes, member);
        continue;
      case astNodeProcProto:
        static_cast<ProcProtoNode*>(member)->module = package;
        sorted.prototypes = listAppend(sorted.prototypes, member);
        continue;
      case astNodeCreateFunc:
        if (!isBody) continue;
        static_cast<CreateFuncNode*>(member)->module = package;
        sorted.routines = listAppend(sorted.routines, member);
        continue;
      case astNodeCreateProc:
        if (!isBody) continue;
        static_cast<CreateProcNode*>(member)->module = package;
        sorted.routines = listAppend(sorted.routines, member);
        continue;
      case astNodeBlock:
        if (isBody) sorted.initBlock = member;
        continue;
      case astNodeVarDecl:
      case astNodeCursorDecl:
      case astNodeRecordDecl:
      case astNodeTableDecl:
      case astNodeRefCursorDecl:
      case astNodeVarrayDecl:
      case astNodeExceptionDecl:
      case astNodeSubtype:
        static_cast<DeclNode*>(member)->module = package;
        sorted.declarations = listAppend(sorted.declarations, member);
        continue;
      // Pragmas and anything else a module has no place for are dropped.
      case astNodeGeneric:
      case astNodeGenericStatement:
      case astNodeGenericContainer:
      case astNodeGenericLoop:
      case astNodeAssign:
      case astNodeCall:
      case astNodeCase:
      case astNodeCaseExpr:
      case astNodeClose:
      case astNodePipe:
      case astNodeContinue:
      case astNodeUnused13:
      case astNodeCreatePkgBody:
      case astNodeCreatePkgHead:
      case astNodeCreateType:
      case astNodeDropPkgBody:
      case astNodeDropPkgHead:
      case astNodeCreateTrigger:
      case astNodeDecl:
      case astNodeDynamic:
      case astNodeExit:
      case astNodeFetch:
      case astNodeFor:
      case astNodeFormalArg:
      case astNodeGoto:
      case astNodeHandler:
      case astNodeIf:
      case astNodeElseIf:
      case astNodeList:
      case astNodeLoop:
      case astNodeNull:
      case astNodeOpen:
      case astNodePragma:
      case astNodeRaise:
      case astNodeReturn:
      case astNodeSelect:
      case astNodeSqlStmt:
      case astNodeToken:
      case astNodeTriggerArg:
      case astNodeWhile:
      case astNodeValues:
      case astNodeSignal:
      case astNodePrepare:
      case astNodeExecute:
      case astNodeGetDiag:
      case astNodeUsingParam: continue;
    }
  }
  return sorted;
}

// SYS_INIT runs the body's BEGIN ... END section, after any statements a rewrite left for module
// initialization. Definer's rights and no OR REPLACE, as a procedure without those clauses.
CreateProcNode* buildInitProcedure(CreatePkgBodyNode* package, AstNode* initBlock) {
  BlockNode* body = nullptr;
  if (initBlock != nullptr) {
    body = static_cast<BlockNode*>(initBlock);
  } else {
    body = makeNode<BlockNode>(astNodeBlock, package->line);
  }
  if (package->pendingInit != nullptr) {
    body->statements = listConcat(package->pendingInit, body->statements);
    package->pendingInit = nullptr;
  }
  auto* procedure = makeNode<CreateProcNode>(astNodeCreateProc, body->line);
  procedure->name = listNew(newTokenNode(T_STRING, "SYS_INIT", package->line));
  procedure->orReplace = 0;
  procedure->authid = 1;
  procedure->module = package;
  procedure->body = body;
  return procedure;
}

}  // namespace

void transformPackageHead(AstNode* node, TransformContext* ctx) {
  auto* package = static_cast<CreatePkgHeadNode*>(node);
  transformNode(package->name, package, ctx);
  const SortedMembers sorted = sortMembers(package->members, package, false);
  package->members = nullptr;
  package->declarations = listConcat(package->declarations, sorted.declarations);
  package->prototypes = listConcat(package->prototypes, sorted.prototypes);
  transformNode(package->declarations, package, ctx);
  transformNode(package->prototypes, package, ctx);
  package->maxNameLength = maxDeclaredNameLength(package->declarations);
}

void transformPackageBody(AstNode* node, TransformContext* ctx) {
  auto* package = static_cast<CreatePkgBodyNode*>(node);
  transformNode(package->name, package, ctx);
  const bool hadMembers = listCount(package->members) != 0;
  const SortedMembers sorted = sortMembers(package->members, package, true);
  package->members = nullptr;
  package->declarations = listConcat(package->declarations, sorted.declarations);
  package->prototypes = listConcat(package->prototypes, sorted.prototypes);
  package->routines = listConcat(package->routines, sorted.routines);
  transformNode(package->declarations, package, ctx);
  transformNode(package->prototypes, package, ctx);
  transformNode(package->routines, package, ctx);
  // An empty body still initializes the module; a body with routines but no BEGIN section needs none.
  if (!hadMembers || sorted.initBlock != nullptr || listCount(package->pendingInit) != 0) {
    package->initBlock = listNew(buildInitProcedure(package, sorted.initBlock));
    transformNode(package->initBlock, package, ctx);
  } else {
    package->initBlock = nullptr;
  }
  package->maxNameLength = maxDeclaredNameLength(package->declarations);
}
