// report_units.cpp - reading one file for the migration report. The checks, the reading and the
// compilation are the command's own (inputs, script_reader, compile, request_report); what is added
// here is the unit's kind and name and the key each error is counted under.
#include "report_units.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>

#include "constructs.h"
#include "entry/entry.h"
#include "request_report.h"
#include "script/script_runs.h"
#include "script/sql_text.h"

namespace fs = std::filesystem;

namespace {

// The unit's own lines: the lines the reader skipped before it stay in its request as empty lines.
size_t leadingBlankLines(const std::string& text, size_t* bytes) {
  size_t lines = 0;
  size_t pos = 0;
  while (pos < text.size()) {
    const size_t end = text.find('\n', pos);
    if (end == std::string::npos || !trimBlanks(std::string_view(text).substr(pos, end - pos)).empty()) break;
    ++lines;
    pos = end + 1;
  }
  *bytes = pos;
  return lines;
}

int countLines(const std::string& text) {
  if (text.empty()) return 0;
  const auto newlines = static_cast<int>(std::count(text.begin(), text.end(), '\n'));
  return text.back() == '\n' ? newlines : newlines + 1;
}

// The text, checked; on a problem, the reason the file is skipped.
bool loadText(const InputFile& input, const TranslateOptions& options, std::string* text, ReportFile& file) {
  if (input.kind == InputFile::emptyDirectory) {
    file.reason = "no PL/SQL source files in this directory";
    return false;
  }
  if (input.kind == InputFile::unreadableDirectory) {
    file.reason = "cannot read this directory";
    file.unreadable = true;
    file.refusal = Refusal::unreadable;
    return false;
  }
  std::error_code sizeError;
  const std::uintmax_t size = input.kind == InputFile::file ? fs::file_size(input.path, sizeError) : 0;
  if (!sizeError && size > reportFileLimit) {
    file.bytes = static_cast<size_t>(size);
    file.reason = "too large: " + std::to_string(size >> 20) + " MiB, more than " +
                  std::to_string(reportFileLimit >> 20) + " MiB";
    file.unreadable = true;
    file.refusal = Refusal::tooLarge;
    return false;
  }
  std::string bytes;
  errno = 0;
  if (!readInput(input, &bytes)) {
    file.reason = "cannot read this file";
    if (errno != 0) file.reason += ": " + std::error_code(errno, std::generic_category()).message();
    file.unreadable = true;
    file.refusal = Refusal::unreadable;
    return false;
  }
  file.bytes = bytes.size();
  if (bytes.empty()) {
    file.reason = "empty file";
    return false;
  }
  Diagnostic problem;
  Diagnostic notUtf8;  // the file is still read; its units' records say the rest
  if (!prepareText(bytes, options.encoding, text, &problem, &notUtf8)) {
    file.reason = problem.message;
    if (problem.line > 0) file.reason = "line " + std::to_string(problem.line) + ": " + file.reason;
    file.unreadable = true;
    // prepareText finds NUL bytes before it looks at the code page.
    file.refusal = problem.message.starts_with("binary file") ? Refusal::binary : Refusal::encoding;
    return false;
  }
  file.lines = countLines(*text);
  return true;
}

std::string counted(int n, const char* what) { return std::to_string(n) + " " + what + (n == 1 ? "" : "s"); }

ReportError scriptError(const Diagnostic& d) {
  ReportError e;
  e.domain = "script";
  e.message = d.message;
  e.fileLine = d.line;
  e.column = d.column;
  e.construct = constructOf(d);
  return e;
}

// The extensions a rejected unit needs to translate with the --extend set, or none when it still fails.
std::vector<std::string> extensionsThatTranslate(const ScriptItem& item, const TranslateOptions& options) {
  const Outcome extended = compileRequest(options.compile, item.text);
  if (!extended.ok) return {};
  std::vector<std::string> used;
  for (const ExtensionRow* row = extensionTable; row->name != nullptr; ++row) {
    const bool noted = std::any_of(extended.notes.begin(), extended.notes.end(),
                                   [&](const ErrorCopy& note) { return note.extra && *note.extra == row->name; });
    if (noted) used.emplace_back(row->name);
  }
  return used;
}

// What the engine made of the unit: its reading errors, or its compile errors.
void describeOutcome(const ScriptItem& item, const Outcome* outcome, ReportUnit& unit) {
  std::vector<Diagnostic> readingErrors;
  for (const Diagnostic& d : item.diagnostics) {
    if (d.severity == Severity::error) readingErrors.push_back(d);
  }
  if (!readingErrors.empty() || outcome == nullptr) {
    for (const Diagnostic& d : readingErrors) unit.errors.push_back(scriptError(d));
    if (!readingErrors.empty()) unit.firstError = readingErrors.front();
    unit.translated = readingErrors.empty();
    return;
  }
  unit.translated = outcome->ok;
  if (outcome->ok) return;
  for (const ErrorCopy& e : outcome->errors) {
    ReportError error;
    error.domain = errorDomainKey(e.domain);
    error.message = friendlyMessage(e.message ? *e.message : "error", e.detail ? e.detail->c_str() : nullptr,
                                    e.extra ? e.extra->c_str() : nullptr);
    // A later stage's bare record says why in its near text, as the command shows it.
    if (e.message && *e.message == "syntax error" && (!e.extra || e.extra->empty()) && e.nearText &&
        !e.nearText->empty() && item.text.find(*e.nearText) == std::string::npos)
      error.message += ": " + *e.nearText;
    error.detail = e.detail;
    error.fileLine = fileLineOf(item, e.line);
    error.column = e.column;
    error.construct = constructOf(e, item.text);
    unit.errors.push_back(std::move(error));
  }
  const std::vector<Diagnostic> shown = describeCompileErrors(item, *outcome);
  if (!shown.empty()) unit.firstError = shown.front();
  if (unit.errors.empty()) {
    // A failure without a record (the SQLCA alone says what went wrong).
    ReportError error;
    error.domain = "sqlca";
    error.message = shown.empty() ? "error" : shown.front().message;
    error.fileLine = unit.firstLine;
    error.construct = error.message;
    unit.errors.push_back(std::move(error));
  }
}

void compileUnit(const ScriptItem& item, const TranslateOptions& options, ReportUnit& unit) {
  const bool readable = std::none_of(item.diagnostics.begin(), item.diagnostics.end(),
                                     [](const Diagnostic& d) { return d.severity == Severity::error; });
  if (!readable) return describeOutcome(item, nullptr, unit);
  // The outcome is always the engine's own; the extensions only say what more would translate.
  CompileSettings plain = options.compile;
  plain.extensions = 0;
  const Outcome outcome = compileRequest(plain, item.text);
  describeOutcome(item, &outcome, unit);
  if (!outcome.ok && options.compile.extensions != 0) unit.translatesWith = extensionsThatTranslate(item, options);
}

ReportUnit unitOf(const ScriptItem& item) {
  ReportUnit unit;
  unit.kind = reportKind(item);
  unit.name = unitName(item);
  unit.file = item.file;
  size_t skippedBytes = 0;
  const size_t skippedLines = leadingBlankLines(item.text, &skippedBytes);
  unit.firstLine = std::min(item.firstLine + static_cast<int>(skippedLines), std::max(item.lastLine, item.firstLine));
  unit.lastLine = std::max(item.lastLine, unit.firstLine);
  unit.bytes = item.text.size() - skippedBytes;
  return unit;
}

}  // namespace

const std::vector<std::string>& reportKinds() {
  static const std::vector<std::string> kinds = {"procedure", "function",  "package",         "package body", "trigger",
                                                 "type",      "type body", "anonymous block", "drop",         "other"};
  return kinds;
}

const char* fileStatusName(FileStatus status) {
  switch (status) {
    case FileStatus::read: return "read";
    case FileStatus::skipped: return "skipped";
    case FileStatus::interrupted: return "interrupted";
  }
  return "read";
}

const char* refusalName(Refusal refusal) {
  switch (refusal) {
    case Refusal::none: return nullptr;
    case Refusal::binary: return "binary";
    case Refusal::encoding: return "encoding";
    case Refusal::unreadable: return "unreadable";
    case Refusal::tooLarge: return "too large";
  }
  return nullptr;
}

std::string reportKind(const ScriptItem& item) {
  const std::string& name = item.name;
  if (name == "package head") return "package";
  if (name == "block" || name == "exec") return "anonymous block";
  if (name == "drop package" || name == "drop package body") return "drop";
  if (std::find(reportKinds().begin(), reportKinds().end(), name) != reportKinds().end()) return name;
  return "other";
}

std::string unitName(const ScriptItem& item) {
  std::vector<SqlToken> tokens;
  ScanCarry carry;
  const std::vector<std::string_view>& lines = item.lines();
  for (size_t i = 0; i < lines.size() && i < 64 && tokens.size() < 24; ++i)
    scanLine(lines[i], static_cast<int>(i) + 1, Dialect::plsql, carry, &tokens);
  size_t k = 0;
  const auto at = [&](std::string_view word) { return k < tokens.size() && isWord(tokens[k], word); };
  // PRAGMA ALIAS ... 'text'; before the unit.
  while (at("PRAGMA")) {
    while (k < tokens.size() && tokens[k].kind != SqlToken::literal) ++k;
    if (k < tokens.size()) ++k;
    if (k < tokens.size() && isSymbol(tokens[k], ";")) ++k;
  }
  if (k < tokens.size() && isSymbol(tokens[k], "<<")) {
    return k + 1 < tokens.size() && tokens[k + 1].kind == SqlToken::word ? std::string(tokens[k + 1].text) : "";
  }
  if (at("DROP")) {
    ++k;
  } else if (at("CREATE")) {
    ++k;
    if (at("OR")) k += 2;
    if (at("EDITIONABLE") || at("NONEDITIONABLE")) ++k;
  } else {
    return "";
  }
  if (!(at("PROCEDURE") || at("FUNCTION") || at("PACKAGE") || at("TRIGGER") || at("TYPE"))) return "";
  ++k;
  if (at("BODY")) ++k;
  std::string name;
  while (k < tokens.size() && (tokens[k].kind == SqlToken::word || tokens[k].kind == SqlToken::quotedName)) {
    name += tokens[k].text;
    if (k + 2 >= tokens.size() || !isSymbol(tokens[k + 1], ".")) break;
    name += '.';
    k += 2;
  }
  return name;
}

std::vector<std::string> inputDirectories(const std::vector<std::string>& paths) {
  std::vector<std::string> directories;
  for (const std::string& path : paths) {
    std::error_code error;
    if (path != "-" && fs::is_directory(path, error)) directories.push_back(path.ends_with('/') ? path : path + "/");
  }
  return directories;
}

std::string pathInReport(const std::string& path, const std::vector<std::string>& directories) {
  for (const std::string& directory : directories) {
    if (path.size() > directory.size() && path.starts_with(directory)) return path.substr(directory.size());
  }
  return path.starts_with('/') ? fs::path(path).filename().string() : path;
}

ReportUnit reportUnitOf(const ScriptItem& item, const Outcome* outcome) {
  ReportUnit unit = unitOf(item);
  describeOutcome(item, outcome, unit);
  return unit;
}

FileAnalysis analyzeFile(const InputFile& input, const TranslateOptions& options, AnalysisListener* listener) {
  FileAnalysis analysis;
  ReportFile& file = analysis.file;
  file.path = input.shownName;
  std::string text;
  if (!loadText(input, options, &text, file)) {
    file.status = FileStatus::skipped;
    if (listener != nullptr) listener->unitsFound(0);
    return analysis;
  }
  ScriptSettings settings = options.script;
  const ScriptReading reading = options.raw
                                    ? readRequestsRaw(text)
                                    : readInputScript(input, text, settings, options.encoding, options.followScripts);
  text.clear();
  text.shrink_to_fit();
  for (const Diagnostic& d : reading.diagnostics) file.problems.push_back(d);
  for (const ScriptItem& item : reading.items) {
    if (item.kind == ItemKind::unit) ++file.unitsFound;
    if (item.kind == ItemKind::sql) ++file.sqlStatements;
    if (item.kind == ItemKind::sqlplus) ++file.sqlplusCommands;
    // A script the file runs that cannot be read is the file's problem, said on the line that runs it.
    if (item.kind != ItemKind::sqlplus || !item.hasErrors()) continue;
    for (Diagnostic d : item.diagnostics) {
      if (!item.file.empty()) {
        d.message = item.file + ":" + std::to_string(d.line) + ": " + d.message;
        d.line = 0;  // not a line of this file
      }
      file.problems.push_back(std::move(d));
    }
  }
  if (listener != nullptr) listener->unitsFound(file.unitsFound);
  if (file.unitsFound == 0) {
    file.status = FileStatus::skipped;
    file.reason = "no PL/SQL unit (" + counted(file.sqlStatements, "SQL statement") + ", " +
                  counted(file.sqlplusCommands, "SQL*Plus command") + ")";
    return analysis;
  }
  for (const ScriptItem& item : reading.items) {
    if (item.kind != ItemKind::unit) continue;
    if (listener != nullptr && listener->stopRequested()) {
      file.status = FileStatus::interrupted;
      file.reason = "interrupted after " + std::to_string(analysis.units.size()) + " of " +
                    std::to_string(file.unitsFound) + " units";
      break;
    }
    ReportUnit unit = unitOf(item);
    compileUnit(item, options, unit);
    if (listener != nullptr) listener->unitDone(unit);
    analysis.units.push_back(std::move(unit));
  }
  return analysis;
}
