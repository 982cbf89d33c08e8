// translate.cpp - the per-file pipeline: check the bytes, read the script, then for each item compile,
// copy, skip or list it, and report what happened in text or JSON.
#include "translate.h"

#include <algorithm>
#include <cerrno>
#include <system_error>

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

}  // namespace

FileReport translateFile(const InputFile& input, const TranslateOptions& options) {
  FileReport report;
  Report say(report, input, options);
  if (input.kind == InputFile::emptyDirectory || input.kind == InputFile::unreadableDirectory) {
    Diagnostic d;
    d.severity = input.kind == InputFile::emptyDirectory ? Severity::warning : Severity::error;
    d.message = input.kind == InputFile::emptyDirectory ? "no PL/SQL source files in this directory"
                                                        : "cannot read this directory";
    say.diagnose(d);
    if (input.kind == InputFile::unreadableDirectory) report.status = 2;
    return report;
  }
  std::string bytes;
  errno = 0;
  if (!readInput(input, &bytes)) {
    Diagnostic d;
    d.message = "cannot read this file";
    if (errno != 0) d.message += ": " + std::error_code(errno, std::generic_category()).message();
    say.diagnose(d);
    report.status = 2;
    return report;
  }
  report.bytes = bytes.size();
  if (bytes.empty()) {
    Diagnostic d;
    d.severity = Severity::warning;
    d.message = "empty file: nothing to translate";
    say.diagnose(d);
    return report;
  }
  std::string text;
  Diagnostic problem;
  if (!prepareText(bytes, options.compile.codePage, &text, &problem)) {
    say.diagnose(problem);
    return report;
  }
  bytes.clear();
  bytes.shrink_to_fit();

  ScriptSettings settings = options.script;
  const ScriptReading reading = options.raw ? readRequestsRaw(text) : readScript(text, settings);
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

  const uint16_t codePage = options.compile.codePage;
  int number = 0;
  for (const ScriptItem& item : reading.items) {
    JsonItem entry;
    entry.item = &item;
    entry.number = ++number;
    entry.warnings = ofSeverity(item.diagnostics, Severity::warning);
    entry.scriptErrors = ofSeverity(item.diagnostics, Severity::error);
    std::vector<Diagnostic> shown = item.diagnostics;
    std::string copied;
    Outcome outcome;

    if (item.kind == ItemKind::sqlplus) {
      if (options.verbose) shown.push_back(leftOut(item, "SQL*Plus command"));
    } else if (item.hasErrors()) {
      entry.ok = false;
    } else if (item.kind == ItemKind::sql) {
      if (options.sql == SqlMode::error) {
        Diagnostic d = atFirstWord(item, Severity::error, "plain SQL statement, not PL/SQL (--sql error)");
        entry.scriptErrors.push_back(d);
        shown.push_back(std::move(d));
        entry.ok = false;
      } else if (options.sql == SqlMode::pass) {
        // The statement ends with the session's terminator, as the generated ones do.
        copied = item.text.substr(0, item.statementLength) + options.compile.terminator + "\n";
        if (convertsInput(codePage) && !convertText(std::string(copied), 1208, codePage, &copied)) {
          Diagnostic d = atFirstWord(item, Severity::error,
                                     "the statement cannot be converted to code page " + std::to_string(codePage));
          entry.scriptErrors.push_back(d);
          shown.push_back(std::move(d));
          entry.ok = false;
          copied.clear();
        } else {
          entry.passedText = &copied;
        }
      } else if (options.verbose) {
        shown.push_back(leftOut(item, "plain SQL statement"));
      }
    } else {
      outcome = compileRequest(options.compile, item.text);
      ++report.units;
      entry.outcome = &outcome;
      entry.ok = outcome.ok;
      if (outcome.ok) {
        for (Diagnostic& d : endNameCallWarnings(item, outcome)) {
          entry.warnings.push_back(d);
          shown.push_back(std::move(d));
        }
      } else {
        for (Diagnostic& d : describeCompileErrors(item, outcome)) shown.push_back(std::move(d));
      }
    }

    if (!entry.ok) report.status = std::max(report.status, 1);
    if (options.json) {
      say.output(jsonItem(input.shownName, entry));
      report.errors += static_cast<int>(
          std::count_if(shown.begin(), shown.end(), [](const Diagnostic& d) { return d.severity == Severity::error; }));
      continue;
    }
    say.output(outcome.view);
    // When a request has errors as well as statements, the errors win: a statement that lost part of
    // its source must not reach a script that feeds the engine. --json still shows both.
    if (outcome.ok) {
      for (const auto& result : outcome.results) {
        say.output(result.second);
        // A statement that ends without a newline (the single CALL form) must not run into the next.
        if (!result.second.empty() && result.second.back() != '\n') say.output("\n");
      }
    }
    say.output(copied);
    for (const Diagnostic& d : shown) say.diagnose(d);
  }
  return report;
}
