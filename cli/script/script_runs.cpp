// script_runs.cpp - following @, @@ and START. A script that runs a script already running would run
// forever in SQL*Plus; here the line that closes the cycle is an error and the rest is read once.
#include "script_runs.h"

#include <cerrno>
#include <filesystem>
#include <system_error>
#include <vector>

#include "sql_text.h"

namespace fs = std::filesystem;

namespace {

// An error or warning on the line of the command that runs a script, marking the whole command.
Diagnostic atCommand(const ScriptItem& command, Severity severity, std::string message) {
  Diagnostic d;
  d.severity = severity;
  d.line = command.firstLine;
  const std::vector<std::string_view> lines = splitLines(command.text);
  const std::string_view first = lines.empty() ? std::string_view() : lines.front();
  d.source = std::string(first);
  const size_t start = first.find_first_not_of(" \t");
  if (start != std::string_view::npos) {
    d.column = static_cast<int>(start) + 1;
    d.length = static_cast<int>(trimBlanks(first).size());
  }
  d.message = std::move(message);
  return d;
}

class FollowingRunner : public ScriptRunner {
 public:
  FollowingRunner(const InputFile& input, std::string encoding) : encoding_(std::move(encoding)) {
    if (input.kind == InputFile::standardInput) {
      running_.push_back({std::string(), input.shownName, fs::path()});
    } else {
      running_.push_back({identity(input.path), input.shownName, fs::path(input.path).parent_path()});
    }
  }

  std::vector<ScriptItem> run(ScriptItem& command, const std::string& script, bool besideScript,
                              ScriptSettings& settings) override {
    fs::path path(script);
    if (besideScript && path.is_relative()) path = (running_.back().folder / path).lexically_normal();
    std::error_code error;
    // A folder named where a script was meant is said as such, not as a missing folder.sql.
    const bool folder = fs::is_directory(path, error);
    if (!folder && !path.has_extension()) path += ".sql";
    const std::string shown = path.string();
    if (folder) {
      command.diagnostics.push_back(
          atCommand(command, Severity::error, "cannot run '" + shown + "': it is a directory, not a script"));
      return {};
    }
    const std::string key = identity(shown);
    for (const Running& running : running_) {
      if (running.key != key) continue;
      std::string chain;
      for (const Running& link : running_) chain += link.shown + " -> ";
      command.diagnostics.push_back(atCommand(
          command, Severity::error, "'" + shown + "' is already running (" + chain + shown + "); not run again"));
      return {};
    }
    std::string bytes;
    errno = 0;
    if (!readInput({InputFile::file, shown, shown, shown, false}, &bytes)) {
      std::string reason = errno != 0 ? std::error_code(errno, std::generic_category()).message() : "unreadable";
      command.diagnostics.push_back(atCommand(command, Severity::error, "cannot run '" + shown + "': " + reason));
      return {};
    }
    std::string text;
    Diagnostic problem;
    Diagnostic warning;
    const bool ok = prepareText(bytes, encoding_, &text, &problem, &warning);
    if (!warning.message.empty()) {
      command.diagnostics.push_back(
          atCommand(command, Severity::warning, shown + ":" + std::to_string(warning.line) + ": " + warning.message));
    }
    if (!ok) {
      const std::string where = problem.line > 0 ? " line " + std::to_string(problem.line) + ":" : "";
      command.diagnostics.push_back(
          atCommand(command, Severity::error, "cannot run '" + shown + "':" + where + " " + problem.message));
      return {};
    }
    running_.push_back({key, shown, path.parent_path()});
    ScriptReading reading = readScript(text, settings, this);
    running_.pop_back();
    for (const Diagnostic& d : reading.diagnostics) {
      command.diagnostics.push_back(
          atCommand(command, d.severity, shown + ":" + std::to_string(d.line) + ": " + d.message));
    }
    for (ScriptItem& item : reading.items) {
      if (item.file.empty()) item.file = shown;
    }
    return std::move(reading.items);
  }

 private:
  struct Running {
    std::string key;    // the script's path with links and dots resolved, to know it again
    std::string shown;  // as messages name it
    fs::path folder;    // where its @@ names are found
  };

  static std::string identity(const std::string& path) {
    std::error_code error;
    const fs::path canonical = fs::weakly_canonical(path, error);
    return error ? path : canonical.string();
  }

  std::string encoding_;
  std::vector<Running> running_;
};

}  // namespace

ScriptReading readInputScript(const InputFile& input, std::string_view text, ScriptSettings& settings,
                              const std::string& encoding, bool follow) {
  if (!follow || input.walked) return readScript(text, settings);
  FollowingRunner runner(input, encoding);
  return readScript(text, settings, &runner);
}
