// constructs.h - what a rejection is about, in the words of the PL/SQL construct that caused it
// ("CREATE TYPE BODY", "object type inheritance (UNDER)") rather than the parser's token. One table of
// rules, tried in order, each reading the error record and the source around it; the first that
// matches names the construct. Used by the report, the JSON records and the diagnostics' notes.
#pragma once

#include <string>
#include <string_view>

#include "compile.h"
#include "output/diagnostics.h"

// What one rule sees of a rejection.
struct ConstructClue {
  std::string_view message;   // the record's raw message ("syntax error, unexpected T_BODY, ...")
  std::string_view detail;    // the text the record names (the token met, the refused number); may be empty
  std::string_view nearText;  // what the record was made near; may be empty
  std::string_view extra;     // the record's extra text; may be empty
  uint32_t domain = 0;        // 0 for syntax errors
  std::string_view met;       // the token the parser met in the user's words ("BODY", "identifier"); or empty
  std::string_view head;      // the unit's first words, upper case, one blank between ("CREATE OR REPLACE TYPE")
  std::string_view line;      // the request line the record points at; empty when unknown
  int column = 0;             // 1-based in `line`; 0 when unknown
  std::string_view text;      // the whole request
};

struct ConstructRule {
  const char* name;  // what the rule recognises, for the table's tests and the manual
  // The construct in its own words, or empty when the rule does not apply.
  std::string (*match)(const ConstructClue& clue);
};

// The rules, in the order they are tried; ends with a row whose name is null.
extern const ConstructRule constructRules[];

// The construct a compile error is about: the first matching rule's words; failing every rule, the
// message in the user's words (a syntax error without the tokens it expected, which differ with the
// place; an unsupported feature without "not supported"; other messages with quoted names left out).
// `requestText` is the request the record came from.
std::string constructOf(const ErrorCopy& error, std::string_view requestText);

// The same for an error of the script reader (a comment never closed, a variable without a value).
std::string constructOf(const Diagnostic& scriptError);

// The same, and whether a rule rather than the fallback named it: then the construct says more than the
// message, and the diagnostics show it as a note.
std::string constructOf(const ErrorCopy& error, std::string_view requestText, bool* known);
