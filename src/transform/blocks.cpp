// blocks.cpp - a block as the walk meets it: the attribute prescan that renames SQLCODE, SQLSTATE,
// SQLERRM and the SQL% attributes to generated variables and marks the outermost block to declare them,
// then the visit of its declarations, handlers and statements, in that order.
#include "transform/rewrites.h"

#include <cassert>

#include "lexer/token_codes.h"
#include "pool/pool.h"

namespace {

// More nested routines than this in one block is a statement the host cannot take.
constexpr uint32_t maxDeclaredRoutines = 512;

struct PrescanState {
  BlockNode* outermost;
  bool inHandler;
};

// What the prescan does with each diagnostics token: the variable whose name replaces the token's text,
// and the flags it sets on the outermost block, which declares or captures what the flags ask for.
struct PrescanRow {
  uint32_t tokenCode;
  bool inHandler;  // for SQLERRM only: inside a handler it reads the condition, outside it reads success
  ImplicitVariable variable;
  uint8_t BlockNode::*flag;
  uint8_t BlockNode::*alsoFlag;  // or null
};

constexpr PrescanRow prescanRows[] = {
    {T_SQLCODE, false, implicitSqlcodeCopy, &BlockNode::usesSqlcode, nullptr},
    {T_SQLSTATE, false, implicitSqlstateCopy, &BlockNode::usesSqlstate, nullptr},
    {T_SQLERRM, true, implicitSqlerrm, &BlockNode::usesSqlerrm, nullptr},
    {T_SQLERRM, false, implicitSqlerrmOutside, &BlockNode::usesSqlerrmOutside, nullptr},
    {T_SQL_ROWCOUNT, false, implicitRowCount, &BlockNode::needsRowCount, nullptr},
    {T_SQL_FOUND, false, implicitFound, &BlockNode::needsFound, &BlockNode::needsRowCount},
    {T_SQL_NOTFOUND, false, implicitNotFound, &BlockNode::needsNotFound, &BlockNode::needsRowCount},
};

// SQLCODE, SQLSTATE, SQLERRM and the SQL% attributes become generated variables.
void prescanToken(TokenNode* token, const PrescanState* state) {
  for (const PrescanRow& row : prescanRows) {
    if (row.tokenCode != token->code) continue;
    if (row.tokenCode == T_SQLERRM && row.inHandler != state->inHandler) continue;
    token->text = implicitVariable(row.variable).name;
    state->outermost->*row.flag = 1;
    if (row.alsoFlag != nullptr) state->outermost->*row.alsoFlag = 1;
    return;
  }
}

bool isPrescanCode(uint32_t code) {
  for (const PrescanRow& row : prescanRows)
    if (row.tokenCode == code) return true;
  return false;
}

// A list its maker marked as holding no diagnostics token is passed by without reading its tokens.
constexpr bool prescanCodesAreDiagnosticsCodes() {
  for (const PrescanRow& row : prescanRows)
    if (!isDiagnosticsCode(static_cast<int>(row.tokenCode))) return false;
  return true;
}
static_assert(prescanCodesAreDiagnosticsCodes(), "isDiagnosticsCode must name every token the prescan rewrites");

[[maybe_unused]] bool holdsNoPrescanToken(const AstList* list) {
  for (const AstListCell* cell = list->head; cell != nullptr; cell = cell->next) {
    if (isPrescanCode(tokenCode(cell->item))) return false;
  }
  return true;
}

}  // namespace

// What a block's own prescan would meet: a diagnostics token in its handlers or its statements.
struct PrescanRecord {
  TokenNode* token;
  PrescanRecord* next;
  bool inHandlers;
};

namespace {

// A block the prescan is inside, below the one it started from, and whether in its handlers.
struct EnclosingBlock {
  BlockNode* block;
  bool inHandlers;
  const EnclosingBlock* outer;
};

struct Prescan {
  PrescanState state;
  uint32_t walk;
};

// Every block prescans its handlers and statements when the walk enters it, and a nested block meets
// again what the blocks around it met. The first prescan notes, for each nested block it passes, the
// diagnostics tokens that block's own prescan would meet, and that block replays them instead of walking
// its text once more. Visits what walkTree visits; the enclosing blocks are known from the recursion.
void prescanWalk(AstNode* node, const EnclosingBlock* path, Prescan* scan) {
  while (node != nullptr && isWalkedByTree(node)) {
    if (node->kind == astNodeToken) {
      auto* token = static_cast<TokenNode*>(node);
      if (!isPrescanCode(token->code)) return;
      prescanToken(token, &scan->state);
      for (const EnclosingBlock* at = path; at != nullptr; at = at->outer) {
        auto* record = static_cast<PrescanRecord*>(ctxAlloc(sizeof(PrescanRecord)));
        *record = PrescanRecord{token, at->block->prescanRecords, at->inHandlers};
        at->block->prescanRecords = record;
      }
      return;
    }
    // Only what has children recurses; a token goes one frame below its list, which was checked.
    checkStackRoom(node->line);
    if (node->kind == astNodeList) {
      const auto* list = static_cast<const AstList*>(node);
      if (list->plainTokens) {
        assert(holdsNoPrescanToken(list) && "a list marked plain holds a diagnostics token");
        return;
      }
      AstListCell* cell = list->head;
      if (cell == nullptr) return;
      for (; cell->next != nullptr; cell = cell->next) prescanWalk(static_cast<AstNode*>(cell->item), path, scan);
      node = static_cast<AstNode*>(cell->item);
      continue;
    }
    if (node->kind == astNodeBlock) {
      auto* block = static_cast<BlockNode*>(node);
      if (block->prescanWalk != scan->walk) {
        // What an earlier prescan noted may be out of date; this one sees the tree as it is now.
        block->prescanWalk = scan->walk;
        block->prescanRecords = nullptr;
        block->prescanRecorded = 1;
      }
      const EnclosingBlock inStatements{block, false, path};
      prescanWalk(block->statements, &inStatements, scan);
      const EnclosingBlock inHandlers{block, true, path};
      prescanWalk(block->handlers, &inHandlers, scan);
      // Its own prescan does not look at its declarations, so it notes nothing from them.
      node = block->declarations;
      continue;
    }
    const AstChildren children = walkTreeChildren(node);
    if (children.count == 0) return;
    for (int i = 0; i + 1 < children.count; ++i) prescanWalk(children.items[i], path, scan);
    node = children.items[children.count - 1];
  }
}

void prescanBlock(BlockNode* block, BlockNode* outermost, TransformContext* ctx) {
  // Inside a handler (a handler body among them) a block is still in the handler.
  const bool inHandler = ctx->inHandler != 0;
  if (block->prescanRecorded) {
    // Noted newest first; replayed in the order its own walk would meet them: handlers, then statements.
    PrescanRecord* inOrder = nullptr;
    for (PrescanRecord* record = block->prescanRecords; record != nullptr;) {
      PrescanRecord* next = record->next;
      record->next = inOrder;
      inOrder = record;
      record = next;
    }
    block->prescanRecords = inOrder;
    for (const bool handlers : {true, false}) {
      const PrescanState state{outermost, handlers || inHandler};
      for (const PrescanRecord* record = inOrder; record != nullptr; record = record->next) {
        if (record->inHandlers == handlers) prescanToken(record->token, &state);
      }
    }
    return;
  }
  Prescan scan{{outermost, true}, ++ctx->prescanWalks};
  prescanWalk(block->handlers, nullptr, &scan);
  scan.state.inHandler = inHandler;
  prescanWalk(block->statements, nullptr, &scan);
}

}  // namespace

void transformBlock(BlockNode* block, TransformContext* ctx) {
  const uint32_t handlersBefore = ctx->handlersTransformed;
  // A nested routine shares its enclosing routine's outermost block.
  BlockNode* outermost = outermostBlockOf(block);
  if (!block->prescanned) {
    prescanBlock(block, outermost, ctx);
    block->prescanned = 1;
  }
  visit(block->declarations, block, ctx);
  const uint8_t savedInHandler = ctx->inHandler;
  ctx->inHandler = 1;
  visit(block->handlers, block, ctx);
  ctx->inHandler = savedInHandler;
  visit(block->statements, block, ctx);

  if (block->needsRowCount) declareImplicit(block, implicitRowCount);
  if (block->needsFound) declareImplicit(block, implicitFound);
  if (block->needsNotFound) declareImplicit(block, implicitNotFound);
  if (block->usesSqlerrmOutside) declareImplicit(block, implicitSqlerrmOutside);

  uint32_t routines = 0;
  for (AstListCell* cell = listHeadCell(block->declarations); cell != nullptr; cell = cell->next) {
    const auto* decl = static_cast<const AstNode*>(cell->item);
    if (decl != nullptr && (decl->kind == astNodeCreateFunc || decl->kind == astNodeCreateProc)) ++routines;
  }
  if (routines > maxDeclaredRoutines) {
    raiseStatementTooBig("Too many declared routines", block->line + 1, ctx->errors);
  }
  const uint32_t longest = maxDeclaredNameLength(block->declarations);
  if (longest > block->maxNameLength) block->maxNameLength = longest;
  closeExceptionScope(block->declarations, ctx);
  // Routines capture their body's diagnostics themselves; a top-level block has no routine to do it.
  if (block->isAnonymous) captureDiagnostics(block, handlersBefore, ctx);
}
