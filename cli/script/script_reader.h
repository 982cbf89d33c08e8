// script_reader.h - reads a script as SQL*Plus reads it and cuts it into items: PL/SQL units for the
// compiler, plain SQL statements, and SQL*Plus commands, each with the file lines it spans. Follows the
// SQL*Plus settings a script can change (blank lines, terminators, substitution) as it goes.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "output/diagnostics.h"

// The SQL*Plus session state that decides how lines are read. Each file starts from the one the
// command line gives.
struct ScriptSettings {
  bool blankLinesEndSql = true;                // SET SQLBLANKLINES OFF
  char sqlTerminator = ';';                    // SET SQLTERMINATOR; 0 when OFF
  char blockTerminator = '.';                  // SET BLOCKTERMINATOR; 0 when OFF
  char defineChar = '&';                       // SET DEFINE; 0 when substitution is off
  std::map<std::string, std::string> defines;  // substitution variables, names in upper case
  bool plsqlQQuotes = false;                   // --extend q-quotes: units hold q'[...]' literals
  bool plsqlFlatComments = false;              // --extend comments: comments in units do not nest
};

enum class ItemKind { unit, sql, sqlplus };

struct ScriptItem {
  ItemKind kind = ItemKind::unit;
  // What the item is, as JSON names it: "procedure", "function", "package head", "package body",
  // "trigger", "type", "type body", "block", "exec" (an EXECUTE command, compiled as its block),
  // "pragma", "drop package", "drop package body", "sql", "sqlplus".
  std::string name;
  // A unit: the request for the compiler, whose first line is `firstLine` (lines the script skipped
  // before the unit stay as empty lines, so the compiler's line numbers count from the same place as
  // before). A statement or command: its lines as written.
  std::string text;
  // A statement: how much of `text` SQL*Plus would send, leaving out the terminator that ended it (a
  // ';' and what follows it on its line) and any comment after its last token.
  size_t statementLength = 0;
  // The script the item comes from, as messages name it, when that is not the input itself but a
  // script it runs (@file, @@file, START file); its lines are that script's.
  std::string file;
  int firstLine = 0;
  int lastLine = 0;  // the last file line holding some of the item
  // A unit: a '/' or '.' line ended it; false when the file ended first (SQL*Plus would not run it).
  bool terminated = true;
  // A unit ended by a '.' line that no '/' line follows: SQL*Plus keeps it in its buffer, unrun.
  bool keptUnrun = false;
  // Problems met while reading the item. An error among them keeps it from being compiled or copied.
  std::vector<Diagnostic> diagnostics;
  bool hasErrors() const;

  // The lines of `text` (without their line ends), split once and kept: the output, the JSON, the
  // diagnostics and the report all read an item by its lines. Split again only when `text` is no
  // longer the string they were split from (a copy of the item, or a text replaced).
  const std::vector<std::string_view>& lines() const;

 private:
  mutable std::vector<std::string_view> lines_;
  mutable const char* linesOf_ = nullptr;
  mutable size_t linesSize_ = 0;
};

struct ScriptReading {
  std::vector<ScriptItem> items;
  std::vector<Diagnostic> diagnostics;  // problems outside any item, e.g. a comment never closed
};

// Reads the scripts a script runs where it runs them.
class ScriptRunner {
 public:
  virtual ~ScriptRunner() = default;
  // `command` (an @, @@ or START item, not yet among the items) names `script`, relative to the running
  // script's folder when `besideScript` (@@); `arguments` are its &1, &2, ... The items of the script,
  // read with the same `settings`, come back to be put after the command; a script that cannot be read
  // is an error on `command`, and what the script's reading says outside its items a note there.
  virtual std::vector<ScriptItem> run(ScriptItem& command, const std::string& script, bool besideScript,
                                      ScriptSettings& settings) = 0;
};

// Cuts `text` (the whole file, line ends LF or CRLF) into items. `settings` is changed by the SET,
// DEFINE, UNDEFINE and ACCEPT commands the script holds. With a `runner`, the scripts that @, @@ and
// START name are read in their place; without, those lines are commands like any other.
ScriptReading readScript(std::string_view text, ScriptSettings& settings, ScriptRunner* runner = nullptr);

// Every text between lines holding only "/" is one request for the compiler, as an engine would be
// given it; nothing is skipped or substituted. Each item is a unit named by classifyRequest.
ScriptReading readRequestsRaw(std::string_view text);

// The item name of a request from its first words ("sql" when they start no PL/SQL unit).
std::string classifyRequest(std::string_view text);

// The SQL*Plus command a line starts ("SET", "PROMPT", "@@", ...), or empty when it starts none.
// SET TRANSACTION, SET ROLE and SET CONSTRAINT(S) are SQL.
std::string sqlPlusCommand(std::string_view line);

// Applies `--set TEXT` as the command SET TEXT would; false when TEXT names a SET option the reader
// does not follow (only SQLBLANKLINES, SQLTERMINATOR, BLOCKTERMINATOR, DEFINE and SCAN change reading).
bool presetSetting(std::string_view text, ScriptSettings& settings);

// Applies the text of `--define NAME=VALUE` (or a DEFINE command's NAME = VALUE); false when malformed.
bool defineVariable(std::string_view assignment, ScriptSettings& settings);
