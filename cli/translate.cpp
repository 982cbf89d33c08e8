// translate.cpp - the per-file pipeline: check the bytes, read the script, then for each item compile,
// copy, skip or list it, and report what happened in text or JSON.
#include "translate.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <optional>
#include <system_error>

#include "deploy.h"
#include "entry/entry.h"
#include "output/json_output.h"
#include "report/report_units.h"
#include "report/request_report.h"
#include "script/script_runs.h"
#include "script/sql_text.h"
#include "script/whenever.h"

namespace {

class Report {
 public:
  Report(FileReport& report, const InputFile& input, const TranslateOptions& options)
      : report_(report), input_(input), options_(options) {}

  void output(const std::string& text) { add(false, text); }

  void diagnose(const Diagnostic& d) { diagnose(input_.shownName, d); }

  // A diagnostic of a script the input runs names that script.
  void diagnose(const std::string& file, const Diagnostic& d) {
    if (d.severity == Severity::error) {
      ++report_.errors;
      report_.status = std::max(report_.status, 1);
    } else if (options_.quiet) {
      return;
    }
    add(true, renderDiagnostic(file, d, options_.color));
  }

 private:
  void add(bool diagnostics, const std::string& text) {
    if (text.empty()) return;
    if (!report_.chunks.empty() && report_.chunks.back().diagnostics == diagnostics) {
      report_.chunks.back().text += text;
    } else {
      report_.chunks.push_back({diagnostics, text});
    }
  }

  FileReport& report_;
  const InputFile& input_;
  const TranslateOptions& options_;
};

// The first line holding text, trimmed, for listings.
std::string headline(const std::vector<std::string_view>& lines) {
  for (std::string_view line : lines) {
    const std::string_view trimmed = trimBlanks(line);
    if (!trimmed.empty()) return std::string(trimmed);
  }
  return {};
}

// The terminator's line as the output is written: in the session's code page, as the statements are.
struct TerminatorLine {
  std::string text;  // the terminator and its newline; empty for none
  char newline = '\n';
};

TerminatorLine terminatorLine(const TranslateOptions& options) {
  TerminatorLine line;
  if (!options.terminator.empty()) line.text = options.terminator + "\n";
  const uint16_t codePage = options.compile.codePage;
  if (!convertsInput(codePage)) return line;
  std::string newline;
  // A terminator the code page cannot write is left out rather than written in the wrong bytes.
  if (!convertText(line.text, XCOMP_CODEPAGE_UTF8, codePage, &line.text)) line.text.clear();
  if (convertText("\n", XCOMP_CODEPAGE_UTF8, codePage, &newline) && newline.size() == 1) line.newline = newline[0];
  return line;
}

// `statement` ending in a newline (the single CALL form has none) and then the terminator on a line of
// its own right after the last line of text: the blank lines a routine ends with come after it, so the
// terminator reads as the end of that routine's END.
std::string terminated(std::string statement, const TerminatorLine& line) {
  if (statement.empty()) return statement;
  if (statement.back() != line.newline) statement += line.newline;
  const size_t lastText = statement.find_last_not_of(line.newline);
  if (line.text.empty() || lastText == std::string::npos) return statement;
  statement.insert(lastText + 2, line.text);
  return statement;
}

// A note that lists an item left out of the output.
Diagnostic leftOut(const ScriptItem& item, const std::string& what) {
  Diagnostic d;
  d.severity = Severity::note;
  d.line = item.firstLine;
  d.message = what + " left out: " + headline(item.lines());
  return d;
}

// A diagnostic at the item's first non-blank line, marking its first word.
Diagnostic atFirstWord(const ScriptItem& item, Severity severity, std::string message) {
  Diagnostic d;
  d.severity = severity;
  d.message = std::move(message);
  const std::vector<std::string_view>& lines = item.lines();
  for (size_t i = 0; i < lines.size(); ++i) {
    const size_t start = lines[i].find_first_not_of(" \t\r");
    if (start == std::string_view::npos) continue;
    d.line = item.firstLine + static_cast<int>(i);
    d.source = std::string(lines[i]);
    d.column = static_cast<int>(start) + 1;
    size_t end = start;
    while (end < lines[i].size() && lines[i][end] != ' ' && lines[i][end] != '\t' && lines[i][end] != '(' &&
           lines[i][end] != ';')
      ++end;
    d.length = static_cast<int>(std::max<size_t>(end - start, 1));
    return d;
  }
  d.line = item.firstLine;
  return d;
}

std::vector<Diagnostic> ofSeverity(const std::vector<Diagnostic>& all, Severity severity) {
  std::vector<Diagnostic> out;
  for (const Diagnostic& d : all) {
    if (d.severity == severity) out.push_back(d);
  }
  return out;
}

// The input's text, checked and ready to be read as a script; nothing when there is none (said). A
// file refused whole still has its record in --json, so that every input is accounted for.
std::optional<std::string> checkedText(const InputFile& input, const TranslateOptions& options, FileReport& report,
                                       Report& say) {
  auto refuse = [&](Diagnostic d, int status) {
    report.status = std::max(report.status, status);
    report.refusal = d.message;
    if (options.json) say.output(jsonRefusedFile(input.shownName, d));
    say.diagnose(d);
    return std::nullopt;
  };
  Diagnostic d;
  if (input.kind == InputFile::emptyDirectory) {
    d.severity = Severity::warning;
    d.message = "no PL/SQL source files in this directory";
    say.diagnose(d);
    return std::nullopt;
  }
  if (input.kind == InputFile::unreadableDirectory) {
    d.message = "cannot read this directory";
    return refuse(d, 2);
  }
  std::string bytes;
  errno = 0;
  if (!readInput(input, &bytes)) {
    d.message = "cannot read this file";
    if (errno != 0) d.message += ": " + std::error_code(errno, std::generic_category()).message();
    return refuse(d, 2);
  }
  report.bytes = bytes.size();
  if (bytes.empty()) {
    d.severity = Severity::warning;
    d.message = "empty file: nothing to translate";
    say.diagnose(d);
    return std::nullopt;
  }
  std::string text;
  Diagnostic warning;
  const bool ok = prepareText(bytes, options.encoding, &text, &d, &warning);
  if (!warning.message.empty()) say.diagnose(warning);
  if (!ok) return refuse(d, 1);
  return text;
}

// The extended error table's row for the number an EXCEPTION_INIT error marks, or null.
const ExtendedErrorRow* extendedExceptionInit(const Diagnostic& d) {
  const std::string_view pragma = ": pragma exception_init";
  if (d.column <= 0 || d.message.size() < pragma.size() ||
      d.message.compare(d.message.size() - pragma.size(), pragma.size(), pragma) != 0)
    return nullptr;
  const std::string marked = d.source.substr(static_cast<size_t>(d.column - 1), static_cast<size_t>(d.length));
  char* end = nullptr;
  const long number = std::strtol(marked.c_str(), &end, 10);
  if (marked.empty() || *end != '\0') return nullptr;
  return extendedErrorRow(static_cast<int32_t>(number));
}

// What became of one item. Built in place: the JSON entry points at the outcome and the copied text.
struct ItemResult {
  JsonItem entry;
  Outcome outcome;
  std::string copied;             // a statement copied to the output
  std::vector<Diagnostic> shown;  // everything said about the item in text mode
};

void failWith(ItemResult& result, Diagnostic d) {
  result.entry.scriptErrors.push_back(d);
  result.shown.push_back(std::move(d));
  result.entry.ok = false;
}

// What one file's part of an --execute run carries from item to item.
struct FileRun {
  Deployment* deployment = nullptr;
  SqlErrorAction action;  // the WHENEVER SQLERROR in force
  int exitLine = 0;       // the EXIT or QUIT that ended the script; 0 while none has
};

// A unit, or a plain statement that is not left out: what a deployment runs and counts.
bool isRunnable(const ScriptItem& item, const TranslateOptions& options) {
  return item.kind == ItemKind::unit || (item.kind == ItemKind::sql && options.sql != SqlMode::skip);
}

Diagnostic noteAt(int line, std::string message) {
  Diagnostic d;
  d.severity = Severity::note;
  d.line = line;
  d.message = std::move(message);
  return d;
}

// What the data source said of a run, at the item's first line; a warning keeps the item's statements.
void reportRun(const ScriptItem& item, ItemResult& result) {
  const SQLCA& sqlca = result.outcome.sqlca;
  if (!result.outcome.executed || sqlca.sqlcode == 0) return;
  Diagnostic d;
  d.severity = sqlca.sqlcode < 0 ? Severity::error : Severity::warning;
  d.line = item.firstLine;
  d.message = executionMessage(sqlca, result.outcome.diagnostic);
  if (d.severity == Severity::warning) result.entry.warnings.push_back(d);
  result.shown.push_back(std::move(d));
}

// The command's words with continuation lines joined.
std::string joinedCommand(const ScriptItem& item) {
  std::string out;
  for (std::string_view line : item.lines()) {
    std::string_view trimmed = trimBlanks(line);
    if (!trimmed.empty() && trimmed.back() == '-') trimmed.remove_suffix(1);
    out += ' ';
    out += trimmed;
  }
  return out;
}

// WHENEVER SQLERROR changes what a failure does from here on; EXIT and QUIT end the script.
void followCommand(const ScriptItem& item, ItemResult& result, FileRun& run) {
  const std::string command = sqlPlusCommand(item.text);
  if (command != "WHENEVER" && command != "EXIT" && command != "QUIT") return;
  const std::string words = joinedCommand(item);
  ExitReading reading;
  if (command == "WHENEVER") {
    WheneverReading whenever = readWhenever(words);
    if (!whenever.isSqlError) return;
    reading = std::move(whenever.reading);
  } else {
    reading = readExit(words);
  }
  if (!reading.problem.empty()) {
    failWith(result, atFirstWord(item, Severity::error, reading.problem));
    return;
  }
  if (!reading.warning.empty()) {
    Diagnostic d = atFirstWord(item, Severity::warning, reading.warning);
    result.entry.warnings.push_back(d);
    result.shown.push_back(std::move(d));
  }
  if (command == "WHENEVER") {
    run.action = std::move(reading.action);
    run.action.text = "WHENEVER SQLERROR " + run.action.text + " (line " + std::to_string(item.firstLine) + ")";
    return;
  }
  run.exitLine = item.firstLine;
  run.deployment->endWork(reading.action.end);
}

// After an item that a deployment runs: counted, and a failure dealt with as the script asks.
void settleRun(const ScriptItem& item, const TranslateOptions& options, ItemResult& result, FileRun& run) {
  if (run.deployment == nullptr || !isRunnable(item, options)) return;
  if (result.entry.ok) {
    run.deployment->succeeded();
    if (run.deployment->dryRun())
      result.shown.push_back(noteAt(
          item.firstLine, item.kind == ItemKind::sql
                              ? "would run statement: " +
                                    headline(splitLines(std::string_view(item.text).substr(0, item.statementLength)))
                              : "would run " + item.name + ": " + headline(item.lines())));
    return;
  }
  SQLCA none;
  clearSqlca(&none);
  const SQLCA& sqlca = result.entry.outcome != nullptr ? result.outcome.sqlca : none;
  const std::string note = run.deployment->failed(run.action, sqlca, result.outcome.executed);
  if (!note.empty()) result.shown.push_back(noteAt(item.firstLine, note));
}

void translateStatement(const ScriptItem& item, const TranslateOptions& options, ItemResult& result,
                        const FileRun& run) {
  if (options.sql == SqlMode::error) {
    failWith(result, atFirstWord(item, Severity::error, "plain SQL statement, not PL/SQL (--sql error)"));
    return;
  }
  if (options.sql == SqlMode::skip) {
    if (options.verbose) result.shown.push_back(leftOut(item, "plain SQL statement"));
    return;
  }
  // The statement ends with the session's terminator, as the generated ones do (the terminator line
  // is the output's, added where it is written).
  const uint16_t codePage = options.compile.codePage;
  const std::string statement = item.text.substr(0, item.statementLength) + options.compile.terminator + "\n";
  if (codePage == XCOMP_CODEPAGE_UTF8) {
    result.copied = statement;
  } else if (!convertText(statement, XCOMP_CODEPAGE_UTF8, codePage, &result.copied)) {
    failWith(result, atFirstWord(item, Severity::error,
                                 "the statement cannot be converted to code page " + std::to_string(codePage)));
    return;
  }
  result.entry.passedText = &result.copied;
  if (run.deployment == nullptr || run.deployment->dryRun()) return;
  // What SQL*Plus sends: the statement without its terminator, in the session's code page (the whole
  // statement converted above, so its head converts too).
  std::string text = item.text.substr(0, item.statementLength);
  if (codePage != XCOMP_CODEPAGE_UTF8) convertText(text, XCOMP_CODEPAGE_UTF8, codePage, &text);
  StatementReport ran = run.deployment->runStatement(text);
  result.outcome.sqlca = ran.sqlca;
  result.outcome.diagnostic = std::move(ran.diagnostic);
  result.outcome.executed = true;
  result.outcome.ok = ran.sqlca.sqlcode >= 0;
  result.entry.outcome = &result.outcome;
  result.entry.ok = result.outcome.ok;
  reportRun(item, result);
}

// PL/SQL ends a comment at its first '*/'; this compiler's comments nest, so a '/*' inside one opens
// another that needs its own '*/'. Where such a '/*' left the comment open, the note points at it, on
// standard error and in JSON; the library's message stays as it is.
void noteNestedComment(const ScriptItem& item, Diagnostic& error, ItemResult& result) {
  const auto [line, column] = innerCommentOpening(item.text);
  if (line == 0) {
    if (item.text.find("*/") != std::string::npos)
      error.notes.push_back(
          "comments nest: a '/*' inside one needs its own '*/'; --extend comments ends each at its first '*/'");
    return;
  }
  const int fileLine = item.firstLine + line - 1;
  const std::string text = "comments nest in this compiler, not in PL/SQL: the '/*' on line " +
                           std::to_string(fileLine) +
                           " opens a comment inside this one, and the first '*/' after it closes only that one; "
                           "--extend comments ends each at its first '*/'";
  error.notes.push_back(text);
  result.entry.notes.push_back(noteAt(fileLine, text));
  result.entry.notes.back().column = column;
}

// `followsScripts`: the lines that run scripts were followed in this file.
void translateItem(const ScriptItem& item, const TranslateOptions& options, bool followsScripts, ItemResult& result,
                   FileReport& report, FileRun& run) {
  result.entry.item = &item;
  result.entry.warnings = ofSeverity(item.diagnostics, Severity::warning);
  result.entry.scriptErrors = ofSeverity(item.diagnostics, Severity::error);
  result.shown = item.diagnostics;
  if (item.kind == ItemKind::sqlplus) {
    result.entry.ok = !item.hasErrors();  // a script it runs could not be read
    if (options.verbose) {
      const std::string command = sqlPlusCommand(item.text);
      const bool runs = followsScripts && (command == "@" || command == "@@" || command == "START");
      result.shown.push_back(runs ? noteAt(item.firstLine, "script run here: " + headline(item.lines()))
                                  : leftOut(item, "SQL*Plus command"));
    }
    if (run.deployment != nullptr) followCommand(item, result, run);
    return;
  }
  if (item.hasErrors()) {
    result.entry.ok = false;
    return;
  }
  if (item.kind == ItemKind::sql) return translateStatement(item, options, result, run);
  if (run.deployment != nullptr && (!item.terminated || item.keptUnrun)) {
    // SQL*Plus runs a unit at the '/' line after it; one cut off by the end of the file, or only put
    // into the buffer by a '.' line, stays unrun.
    Diagnostic d;
    d.line = item.lastLine + (item.keptUnrun ? 1 : 0);
    const std::string where = item.keptUnrun ? "ends at a '.' line that no '/' line follows"
                                             : "is cut off by the end of the file before a line holding only '/'";
    d.message = "this " + item.name + " " + where + ": it is not run";
    failWith(result, std::move(d));
    return;
  }
  const uint16_t codePage = options.compile.codePage;
  std::string ignored;
  if (!convertsInput(codePage) && codePage != XCOMP_CODEPAGE_UTF8 &&
      !convertText(item.text, XCOMP_CODEPAGE_UTF8, codePage, &ignored)) {
    failWith(result, atFirstWord(item, Severity::error,
                                 "the " + item.name + " holds a character that code page " + std::to_string(codePage) +
                                     " cannot write"));
    return;
  }
  result.outcome = compileRequest(options.compile, item.text);
  ++report.units;
  result.entry.outcome = &result.outcome;
  result.entry.ok = result.outcome.ok;
  reportRun(item, result);
  if (result.outcome.executed && !result.outcome.ok) return;
  if (!result.outcome.ok) {
    for (Diagnostic& d : describeCompileErrors(item, result.outcome)) {
      if ((options.compile.extensions & extendQQuotes) == 0 && holdsQQuotedLiteral(d.source)) {
        d.notes.push_back("a q-quoted literal is read as a name and a string here; --extend q-quotes reads it as one");
      }
      if ((options.compile.extensions & extendComments) == 0 && d.message == "Unterminated comment") {
        noteNestedComment(item, d, result);
      }
      if ((options.compile.extensions & extendErrorMap) == 0) {
        if (const ExtendedErrorRow* row = extendedExceptionInit(d)) {
          d.notes.push_back("--extend error-map binds " + std::to_string(row->oraCode) + " to SQLSTATE " +
                            row->sqlstate + " (" + row->meaning + ")");
        }
      }
      result.shown.push_back(std::move(d));
    }
    return;
  }
  for (Diagnostic& d : describeExtensionNotes(item, result.outcome)) {
    (d.severity == Severity::warning ? result.entry.warnings : result.entry.notes).push_back(d);
    result.shown.push_back(std::move(d));
  }
  for (Diagnostic& d : endNameCallWarnings(item, result.outcome)) {
    result.entry.warnings.push_back(d);
    result.shown.push_back(std::move(d));
  }
}

void countItem(const ScriptItem& item, const ItemResult& result, FileReport& report) {
  switch (item.kind) {
    case ItemKind::unit: ++(result.entry.ok ? report.translated : report.failed); return;
    case ItemKind::sql: report.statements += result.entry.ok && result.entry.passedText != nullptr ? 1 : 0; return;
    case ItemKind::sqlplus: ++report.commands; return;
  }
}

// The items of a file a stopped run leaves out, read without a word about the file itself.
int runnableItems(const InputFile& input, const TranslateOptions& options) {
  std::string bytes, text;
  Diagnostic ignored;
  if (!readInput(input, &bytes) || !prepareText(bytes, options.encoding, &text, &ignored, &ignored)) return 0;
  ScriptSettings settings = options.script;
  const ScriptReading reading = options.raw
                                    ? readRequestsRaw(text)
                                    : readInputScript(input, text, settings, options.encoding, options.followScripts);
  return static_cast<int>(std::count_if(reading.items.begin(), reading.items.end(),
                                        [&](const ScriptItem& item) { return isRunnable(item, options); }));
}

}  // namespace

FileReport translateFile(const InputFile& input, const TranslateOptions& options, Deployment* deployment) {
  FileReport report;
  if (deployment != nullptr && deployment->stopped()) {
    deployment->skipped(runnableItems(input, options));
    return report;
  }
  Report say(report, input, options);
  const std::optional<std::string> text = checkedText(input, options, report, say);
  if (!text) return report;

  ScriptSettings settings = options.script;
  const ScriptReading reading = options.raw
                                    ? readRequestsRaw(*text)
                                    : readInputScript(input, *text, settings, options.encoding, options.followScripts);
  for (const Diagnostic& d : reading.diagnostics) say.diagnose(d);
  const bool anything = std::any_of(reading.items.begin(), reading.items.end(),
                                    [](const ScriptItem& item) { return item.kind != ItemKind::sqlplus; });
  if (!anything && reading.diagnostics.empty()) {
    Diagnostic d;
    d.severity = Severity::warning;
    d.message = reading.items.empty() ? "nothing to translate: the file holds only comments"
                                      : "nothing to translate: the file holds only comments and SQL*Plus commands";
    say.diagnose(d);
  }

  FileRun run;
  run.deployment = deployment;
  if (deployment != nullptr && options.compile.execute.stopOnError) {
    run.action.exit = true;
    run.action.status = 1;
    run.action.end = WorkEnd::commit;
    run.action.text = "--stop-on-error";
  }
  const TerminatorLine terminator = terminatorLine(options);
  int afterExit = 0;
  int number = 0;
  for (const ScriptItem& item : reading.items) {
    if (deployment != nullptr && (deployment->stopped() || run.exitLine > 0)) {
      if (!isRunnable(item, options)) continue;
      deployment->skipped(1);
      if (run.exitLine > 0 && !deployment->stopped()) ++afterExit;
      continue;
    }
    ItemResult result;
    result.entry.number = ++number;
    translateItem(item, options, options.followScripts && !input.walked, result, report, run);
    settleRun(item, options, result, run);
    countItem(item, result, report);
    if (!result.entry.ok) report.status = std::max(report.status, 1);
    const std::string& file = item.file.empty() ? input.shownName : item.file;
    if (options.keepUnits && item.kind == ItemKind::unit) {
      ReportUnit unit = reportUnitOf(item, result.entry.outcome != nullptr ? &result.outcome : nullptr);
      // Failed without a compile error: at the data source, or not run (cut off by the end of the file).
      if (!result.entry.ok && unit.errors.empty() && !result.shown.empty()) {
        unit.translated = false;
        ReportError error;
        error.domain = "script";
        error.message = error.construct = result.shown.front().message;
        error.fileLine = result.shown.front().line;
        unit.errors.push_back(std::move(error));
      }
      report.unitRecords.push_back(std::move(unit));
    }
    std::string written = result.outcome.view;
    // When a request has errors as well as statements, the errors win: a statement that lost part of
    // its source must not reach a script that feeds the engine. --json still shows both.
    if (result.outcome.ok) {
      for (const auto& statement : result.outcome.results) written += terminated(statement.second, terminator);
    }
    // A statement that failed at the data source is not part of what was deployed.
    if (result.entry.ok) written += terminated(result.copied, terminator);
    if (options.keepTranslation) report.translation += written;
    if (options.json) {
      say.output(jsonItem(file, result.entry));
      report.errors += static_cast<int>(std::count_if(
          result.shown.begin(), result.shown.end(), [](const Diagnostic& d) { return d.severity == Severity::error; }));
      continue;
    }
    if (!options.keepTranslation) say.output(written);
    for (const Diagnostic& d : result.shown) say.diagnose(file, d);
  }
  if (afterExit > 0) {
    say.diagnose(noteAt(run.exitLine, "the script ends here: " + std::to_string(afterExit) +
                                          (afterExit == 1 ? " item after it is" : " items after it are") + " not run"));
  }
  return report;
}
