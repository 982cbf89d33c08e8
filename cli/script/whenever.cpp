// whenever.cpp - reading WHENEVER SQLERROR and EXIT. Words are compared in upper case and may not be
// abbreviated, as SQL*Plus has them; FAILURE and WARNING are the statuses a Unix shell sees for them.
#include "whenever.h"

#include <cstdlib>
#include <vector>

#include "sql_text.h"

namespace {

constexpr int failureStatus = 1;
constexpr int warningStatus = 2;

std::vector<std::string> upperWords(std::string_view text) {
  std::vector<std::string> words;
  size_t pos = 0;
  while (pos < text.size()) {
    while (pos < text.size() &&
           (text[pos] == ' ' || text[pos] == '\t' || text[pos] == '\r' || text[pos] == '\n' || text[pos] == ';'))
      ++pos;
    size_t end = pos;
    while (end < text.size() && text[end] != ' ' && text[end] != '\t' && text[end] != '\r' && text[end] != '\n' &&
           text[end] != ';')
      ++end;
    if (end > pos) words.push_back(upperAscii(text.substr(pos, end - pos)));
    pos = end;
  }
  return words;
}

bool isNumber(const std::string& word) {
  if (word.empty() || word.size() > 9) return false;
  for (const char c : word) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

std::string joined(const std::vector<std::string>& words, size_t from) {
  std::string out;
  for (size_t k = from; k < words.size(); ++k) {
    if (!out.empty()) out += ' ';
    out += words[k];
  }
  return out;
}

// `words[from...]` as an EXIT clause.
ExitReading exitClause(const std::vector<std::string>& words, size_t from) {
  ExitReading reading;
  SqlErrorAction& action = reading.action;
  action.exit = true;
  action.end = WorkEnd::commit;
  action.text = joined(words, from - 1);
  size_t k = from;
  if (k < words.size() && words[k] != "COMMIT" && words[k] != "ROLLBACK") {
    const std::string& value = words[k++];
    if (value == "SUCCESS") {
      action.status = 0;
    } else if (value == "FAILURE") {
      action.status = failureStatus;
    } else if (value == "WARNING") {
      action.status = warningStatus;
    } else if (value == "SQL.SQLCODE") {
      action.useSqlcode = true;
    } else if (isNumber(value)) {
      action.status = std::atoi(value.c_str()) % 256;
    } else {
      // SQL*Plus would take the value of a variable here; xcomp keeps none, and a script that asks to
      // stop must still stop with a failure.
      action.status = failureStatus;
      reading.warning = "the exit value '" + value + "' cannot be evaluated here: the run exits with FAILURE";
    }
  }
  if (k < words.size() && (words[k] == "COMMIT" || words[k] == "ROLLBACK"))
    action.end = words[k++] == "COMMIT" ? WorkEnd::commit : WorkEnd::rollback;
  if (k < words.size()) reading.problem = "unexpected '" + words[k] + "' in " + joined(words, 0);
  return reading;
}

}  // namespace

WheneverReading readWhenever(std::string_view command) {
  const std::vector<std::string> words = upperWords(command);
  WheneverReading out;
  if (words.size() < 2 || words[1] != "SQLERROR") return out;
  out.isSqlError = true;
  if (words.size() >= 3 && words[2] == "EXIT") {
    out.reading = exitClause(words, 3);
    return out;
  }
  if (words.size() >= 3 && words[2] == "CONTINUE") {
    SqlErrorAction& action = out.reading.action;
    action.text = joined(words, 2);
    size_t k = 3;
    if (k < words.size() && (words[k] == "COMMIT" || words[k] == "ROLLBACK" || words[k] == "NONE")) {
      action.end = words[k] == "COMMIT" ? WorkEnd::commit : words[k] == "ROLLBACK" ? WorkEnd::rollback : WorkEnd::none;
      ++k;
    }
    if (k < words.size()) out.reading.problem = "unexpected '" + words[k] + "' in " + joined(words, 0);
    return out;
  }
  out.reading.problem = "WHENEVER SQLERROR needs EXIT or CONTINUE";
  return out;
}

ExitReading readExit(std::string_view command) { return exitClause(upperWords(command), 1); }

int exitStatusFor(const SqlErrorAction& action, int sqlcode) {
  if (!action.useSqlcode) return action.status;
  // What the shell sees of SQL*Plus's exit(SQLCODE) is its low byte. A failure with no SQLCODE (one
  // found before the data source), or one whose low byte is 0, must still not read as success.
  const int status = static_cast<int>(static_cast<unsigned>(sqlcode) & 0xFFu);
  return status != 0 ? status : failureStatus;
}
