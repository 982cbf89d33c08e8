// driver.h - one compilation from text to generated statements: the recovery point, the pool bound to
// the thread, the completed session settings, then parse, transform and emit in that order.
// Part of the roof (entry/): may use every subsystem.
#pragma once

#include "diag/errors.h"
#include "diag/session.h"
#include "xcomp2.h"

// Debugging views a tool can ask for; xcomp2 never does. The sink receives pool texts that die with
// the compilation, so it must copy them.
struct DebugViews {
  bool tokens = false;  // list the request's tokens and stop before parsing
  bool tree = false;    // the text form of the tree after parsing, and stop there
  void (*sink)(void* arg, const char* text) = nullptr;
  void* arg = nullptr;
};

// Compiles the NUL-terminated `text`. *results and *errors are set first to null; afterwards they hold
// the result list and the head of the error chain (both may be set; errors come first). Pool exhaustion
// gives oomError, an internal inconsistency internalErrorRecord. Never throws.
void compileStatement(const char* text, XcompResult** results, CompileError** errors, const SessionSettings* settings);
// With `notes` (may be null), *notes is set first to null and afterwards holds the chain of notes the
// settings' extensions recorded (NoteKind in each record's domain, the extension's name in `extra`);
// exhaustion clears it.
void compileStatementWithViews(const char* text, XcompResult** results, CompileError** errors,
                               const SessionSettings* settings, const DebugViews* views,
                               CompileError** notes = nullptr);

// The stages one at a time, for tools that look between them (the benchmarks time each, the tests read
// the tree): parseProgram, then transformTree and emitTree on a clean parse, is what the driver runs.
// Each runs in the compilation context the caller opened (contextInit), under complete settings
// (completeSettings), and records problems on *errors.
struct AstList;
struct ParsedProgram {
  AstList* root;  // the program list the parser built, or null
  bool clean;     // a root, and no error recorded: the later stages may run
};
// `notes` (may be null) collects what the opt-in extensions accepted.
ParsedProgram parseProgram(const char* text, const SessionSettings* settings, CompileError** errors,
                           CompileError** notes = nullptr);

// Clears both pointers and releases everything the compilation allocated, results and errors included.
void releaseCompilation(XcompResult** results, CompileError** errors);
