// translate.cpp - the per-file pipeline: check the bytes, read the script, then for each item compile,
// copy, skip or list it, and report what happened in text or JSON.
#include "translate.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <optional>
#include <system_error>

#include "entry/entry.h"
#include "json_output.h"
#include "request_report.h"
#include "sql_text.h"

namespace {

class Report {
 public:
  Report(FileReport& report, const InputFile& input, const TranslateOptions& options)
      : report_(report), input_(input), options_(options) {}

  void output(const std::string& text) { add(false, text); }

  void diagnose(const Diagnostic& d) {
    if (d.severity == Severity::error) {
      ++report_.errors;
      report_.status = std::max(report_.status, 1);
    }
    add(true, renderDiagnostic(input_.shownName, d, options_.color));
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

// The first line of an item, trimmed, for listings.
std::string headline(const ScriptItem& item) {
  const std::vector<std::string_view> lines = splitLines(item.text);
  for (std::string_view line : lines) {
    const std::string_view trimmed = trimBlanks(line);
    if (!trimmed.empty()) return std::string(trimmed);
  }
  return {};
}

// A note that lists an item left out of the output.
Diagnostic leftOut(const ScriptItem& item, const std::string& what) {
  Diagnostic d;
  d.severity = Severity::note;
  d.line = item.firstLine;
  d.message = what + " left out: " + headline(item);
  return d;
}

// A diagnostic at the item's first non-blank line, marking its first word.
Diagnostic atFirstWord(const ScriptItem& item, Severity severity, std::string message) {
  Diagnostic d;
  d.severity = severity;
  d.message = std::move(message);
  const std::vector<std::string_view> lines = splitLines(item.text);
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

// The input's text, checked and ready to be read as a script; nothing when there is none (said).
std::optional<std::string> checkedText(const InputFile& input, const TranslateOptions& options, FileReport& report,
                                       Report& say) {
  Diagnostic d;
  if (input.kind == InputFile::emptyDirectory) {
    d.severity = Severity::warning;
    d.message = "no PL/SQL source files in this directory";
    say.diagnose(d);
    return std::nullopt;
  }
  if (input.kind == InputFile::unreadableDirectory) {
    d.message = "cannot read this directory";
    say.diagnose(d);
    report.status = 2;
    return std::nullopt;
  }
  std::string bytes;
  errno = 0;
  if (!readInput(input, &bytes)) {
    d.message = "cannot read this file";
    if (errno != 0) d.message += ": " + std::error_code(errno, std::generic_category()).message();
    say.diagnose(d);
    report.status = 2;
    return std::nullopt;
  }
  report.bytes = bytes.size();
  if (bytes.empty()) {
    d.severity = Severity::warning;
    d.message = "empty file: nothing to translate";
    say.diagnose(d);
    return std::nullopt;
  }
  std::string text;
  if (!prepareText(bytes, options.compile.codePage, &text, &d)) {
    say.diagnose(d);
    return std::nullopt;
  }
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

void translateStatement(const ScriptItem& item, const TranslateOptions& options, ItemResult& result) {
  if (options.sql == SqlMode::error) {
    failWith(result, atFirstWord(item, Severity::error, "plain SQL statement, not PL/SQL (--sql error)"));
    return;
  }
  if (options.sql == SqlMode::skip) {
    if (options.verbose) result.shown.push_back(leftOut(item, "plain SQL statement"));
    return;
  }
  // The statement ends with the session's terminator, as the generated ones do.
  const uint16_t codePage = options.compile.codePage;
  const std::string statement = item.text.substr(0, item.statementLength) + options.compile.terminator + "\n";
  if (!convertsInput(codePage)) {
    result.copied = statement;
  } else if (!convertText(statement, 1208, codePage, &result.copied)) {
    failWith(result, atFirstWord(item, Severity::error,
                                 "the statement cannot be converted to code page " + std::to_string(codePage)));
    return;
  }
  result.entry.passedText = &result.copied;
}

void translateItem(const ScriptItem& item, const TranslateOptions& options, ItemResult& result, FileReport& report) {
  result.entry.item = &item;
  result.entry.warnings = ofSeverity(item.diagnostics, Severity::warning);
  result.entry.scriptErrors = ofSeverity(item.diagnostics, Severity::error);
  result.shown = item.diagnostics;
  if (item.kind == ItemKind::sqlplus) {
    if (options.verbose) result.shown.push_back(leftOut(item, "SQL*Plus command"));
    return;
  }
  if (item.hasErrors()) {
    result.entry.ok = false;
    return;
  }
  if (item.kind == ItemKind::sql) return translateStatement(item, options, result);
  result.outcome = compileRequest(options.compile, item.text);
  ++report.units;
  result.entry.outcome = &result.outcome;
  result.entry.ok = result.outcome.ok;
  if (result.outcome.executed && result.outcome.sqlca.sqlcode != 0) {
    // What the database said of the run, at the unit's first line; a warning keeps the unit's statements.
    Diagnostic d;
    d.severity = result.outcome.sqlca.sqlcode < 0 ? Severity::error : Severity::warning;
    d.line = item.firstLine;
    d.message = executionMessage(result.outcome.sqlca);
    if (d.severity == Severity::warning) result.entry.warnings.push_back(d);
    result.shown.push_back(std::move(d));
    if (!result.outcome.ok) return;
  }
  if (!result.outcome.ok) {
    for (Diagnostic& d : describeCompileErrors(item, result.outcome)) {
      if ((options.compile.extensions & extendQQuotes) == 0 && holdsQQuotedLiteral(d.source)) {
        d.notes.push_back("a q-quoted literal is read as a name and a string here; --extend q-quotes reads it as one");
      }
      if ((options.compile.extensions & extendComments) == 0 && d.message == "Unterminated comment" &&
          item.text.find("*/") != std::string::npos) {
        d.notes.push_back(
            "comments nest: a '/*' inside one needs its own '*/'; --extend comments ends each at its "
            "first '*/'");
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

}  // namespace

FileReport translateFile(const InputFile& input, const TranslateOptions& options) {
  FileReport report;
  Report say(report, input, options);
  const std::optional<std::string> text = checkedText(input, options, report, say);
  if (!text) return report;

  ScriptSettings settings = options.script;
  const ScriptReading reading = options.raw ? readRequestsRaw(*text) : readScript(*text, settings);
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

  int number = 0;
  for (const ScriptItem& item : reading.items) {
    ItemResult result;
    result.entry.number = ++number;
    translateItem(item, options, result, report);
    if (!result.entry.ok) report.status = std::max(report.status, 1);
    if (options.json) {
      say.output(jsonItem(input.shownName, result.entry));
      report.errors += static_cast<int>(std::count_if(
          result.shown.begin(), result.shown.end(), [](const Diagnostic& d) { return d.severity == Severity::error; }));
      continue;
    }
    say.output(result.outcome.view);
    // When a request has errors as well as statements, the errors win: a statement that lost part of
    // its source must not reach a script that feeds the engine. --json still shows both.
    if (result.outcome.ok) {
      for (const auto& statement : result.outcome.results) {
        say.output(statement.second);
        // A statement that ends without a newline (the single CALL form) must not run into the next.
        if (!statement.second.empty() && statement.second.back() != '\n') say.output("\n");
      }
    }
    say.output(result.copied);
    for (const Diagnostic& d : result.shown) say.diagnose(d);
  }
  return report;
}
