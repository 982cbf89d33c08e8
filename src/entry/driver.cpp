// driver.cpp - the compile driver. Pool exhaustion is the one failure that unwinds: it is thrown by the
// pool and caught only here, so every stage can allocate without checking. Errors in the text are
// records on the chain; a parse with any of them skips transformation and emission.
#include "entry/driver.h"

#include "ast/ast.h"
#include "emit/emit.h"
#include "lexer/lexer.h"
#include "parser/parser.h"
#include "pool/pool.h"
#include "transform/transform.h"

namespace {

ParseContext parseContextFor(const char* text, const SessionSettings* settings, CompileError** errors,
                             CompileError** notes) {
  ParseContext parse{};
  parse.settings = settings;
  parse.text = text;
  parse.errors = errors;
  parse.notes = notes;
  return parse;
}

void runStages(const char* text, XcompResult** results, CompileError** errors, const SessionSettings* callerSettings,
               const DebugViews* views, CompileError** notes) {
  SessionSettings settings;
  completeSettings(&settings, callerSettings);

  if (views != nullptr && views->tokens) {
    ParseContext parse = parseContextFor(text, &settings, errors, notes);
    const char* listing = formatTokenListing(&parse);
    if (views->sink != nullptr) views->sink(views->arg, listing);
    return;
  }

  if (settings.parserTrace != 0) setParserTrace(true);
  const ParsedProgram parsed = parseProgram(text, &settings, errors, notes);
  if (views != nullptr && views->tree) {
    // The tree view shows what the parser built and goes no further.
    if (views->sink != nullptr && parsed.root != nullptr) views->sink(views->arg, printTree(parsed.root));
    return;
  }
  if (!parsed.clean) return;

  transformTree(parsed.root, &settings, errors, notes);
  *results = emitTree(parsed.root, &settings, errors, notes);
}

}  // namespace

ParsedProgram parseProgram(const char* text, const SessionSettings* settings, CompileError** errors,
                           CompileError** notes) {
  ParseContext parse = parseContextFor(text, settings, errors, notes);
  const int parseResult = parseRequest(&parse);
  return {parse.root, parseResult == 0 && *errors == nullptr && parse.root != nullptr};
}

void compileStatementWithViews(const char* text, XcompResult** results, CompileError** errors,
                               const SessionSettings* settings, const DebugViews* views, CompileError** notes) {
  *results = nullptr;
  *errors = nullptr;
  if (notes != nullptr) *notes = nullptr;
  const RecoveryPoint recovery;
  try {
    contextInit(&recovery);
    runStages(text, results, errors, settings, views, notes);
  } catch (const PoolExhausted& exhausted) {
    *results = nullptr;
    if (notes != nullptr) *notes = nullptr;
    if (exhausted.code == recoveryStackExhausted) {
      // The pool is intact: the walk stopped before the stack ran out, so the report can be recorded
      // like any other, after whatever the stages found before.
      try {
        raiseStatementTooBig(maxNestingMessage, exhausted.line < 0 ? -1 : exhausted.line + 1, errors);
        return;
      } catch (const PoolExhausted&) {
      }
    }
    // Whatever the stages produced is discarded with the pool; only the static record comes back.
    *errors = const_cast<CompileError*>(exhausted.code == recoveryInternal ? &internalErrorRecord : &oomError);
  } catch (...) {
    *results = nullptr;
    if (notes != nullptr) *notes = nullptr;
    *errors = const_cast<CompileError*>(&internalErrorRecord);
  }
}

void compileStatement(const char* text, XcompResult** results, CompileError** errors, const SessionSettings* settings) {
  compileStatementWithViews(text, results, errors, settings, nullptr);
}

void releaseCompilation(XcompResult** results, CompileError** errors) {
  *results = nullptr;
  *errors = nullptr;
  contextRelease();
}
