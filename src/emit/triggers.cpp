// triggers.cpp - CREATE TRIGGER. The transformer has labelled the body and given the REFERENCING
// names (and the row images the body uses) their generated names; this writer lays out the clauses in
// the host's order and pads the head with blank lines so that the body starts near its source line.
#include "emit/emit_context.h"

#include "emit/emit.h"

namespace {

const char* timingWord(TriggerTiming timing) {
  switch (timing) {
    case timingBefore: return " BEFORE ";
    case timingAfter: return " AFTER ";
    case timingInsteadOf: return " INSTEAD OF ";
    case timingFor: return "";  // a compound trigger's form: already refused
  }
  return "";
}

const char* rowWord(TriggerRow which) {
  switch (which) {
    case rowNew: return " NEW AS ";
    case rowOld: return " OLD AS ";
    case rowParent: return " PARENT AS ";
    case triggerRowCount: break;
  }
  return " ";
}

// The host wants the events in one order, whatever order the source listed them in.
void writeEvents(const CreateTriggerNode* trigger, EmitContext* ctx) {
  const uint32_t events = trigger->events;
  if ((events & eventInsert) != 0) emitStrings({"INSERT "}, ctx);
  if ((events & eventDelete) != 0) emitStrings({(events & eventInsert) != 0 ? "OR DELETE " : "DELETE "}, ctx);
  if ((events & eventUpdate) == 0) return;
  emitStrings({(events & (eventInsert | eventDelete)) != 0 ? "OR UPDATE " : "UPDATE "}, ctx);
  if (trigger->updateColumns == nullptr) return;
  // Each column is its own name; the comma before a later one is written with no blank after it.
  for (AstListCell* cell = listHeadCell(trigger->updateColumns); cell != nullptr; cell = cell->next) {
    const char* separator = cell == listHeadCell(trigger->updateColumns) ? "OF " : ",";
    auto* column = static_cast<AstNode*>(cell->item);
    if (column != nullptr && column->kind == astNodeList) {
      emitTokens(static_cast<AstList*>(column), separator, "", ctx);
    } else {
      emitStrings({separator, tokenText(column) != nullptr ? tokenText(column) : ""}, ctx);
    }
  }
  emitStrings({" "}, ctx);
}

void writeReferencing(AstList* referencing, EmitContext* ctx) {
  if (referencing == nullptr) return;
  emitStrings({"REFERENCING"}, ctx);
  for (AstListCell* cell = listHeadCell(referencing); cell != nullptr; cell = cell->next) {
    const auto* arg = static_cast<const AstNode*>(cell->item);
    if (arg == nullptr || arg->kind != astNodeTriggerArg) continue;
    const auto* row = static_cast<const TriggerArgNode*>(arg);
    emitTokens(row->alias, rowWord(row->which), "", ctx);
  }
  emitStrings({" "}, ctx);
}

}  // namespace

// CREATE TRIGGER t BEFORE UPDATE OF a ON tab FOR EACH ROW BEGIN ... END;  ->  the same head, the body labelled
void emitTrigger(AstNode* node, EmitContext* ctx) {
  auto* trigger = static_cast<CreateTriggerNode*>(node);
  // Written anyway, so that the request reports this together with any error of the body.
  if (trigger->compound || trigger->timing == timingFor) {
    raiseUnsupported("Compound triggers not supported", "CREATE [OR REPLACE] TRIGGER...", node, ctx->errors);
  }
  beginStatement(node, ctx);
  writeCreateHead("TRIGGER", trigger->name, trigger->orReplace != 0, ctx);
  int64_t outputLine = ctx->outputLine;
  const int64_t bodyLine = trigger->body != nullptr ? trigger->body->line : 0;
  emitStrings({timingWord(trigger->timing)}, ctx);
  writeEvents(trigger, ctx);
  emitTokens(trigger->table, "ON ", " ", ctx);
  writeReferencing(trigger->referencing, ctx);
  emitStrings({trigger->forEachRow ? "FOR EACH ROW " : "FOR EACH STATEMENT "}, ctx);
  // Blank lines instead of a line marker: the body then starts close to where it stood in the source.
  bool midLine = true;
  for (; outputLine > 0 && outputLine < bodyLine; ++outputLine) {
    emitStrings({"\n"}, ctx);
    midLine = false;
  }
  if (trigger->condition != nullptr) {
    emitTokens(trigger->condition, "WHEN(", ")\n", ctx);
  } else if (midLine && ctx->trackLines && (ctx->extensions & extendCorrections) != 0) {
    // ... FOR EACH ROW, then BEGIN on the next source line: the body's line marker would follow on the head
    // line itself. The head's line ends first, which also puts the body on its source line.
    emitStrings({"\n"}, ctx);
    recordNote(ctx->notes, noteRemark, "the trigger's head ends its line, so no line marker is written into it",
               trigger->body != nullptr ? trigger->body->line + 1 : node->line + 1, "BEGIN", extendCorrections);
  }
  {
    const NestedLevel nested(ctx);
    emitNode(trigger->body, ctx);
    emitStrings({"\n\n"}, ctx);
  }
  emitStrings({"\n"}, ctx);
  finishStatement(SQLEXC_TRIGGER, ctx);
}
