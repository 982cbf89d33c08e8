// diagnostics.h - what xcomp tells a person: the Diagnostic record every stage of the tool fills, the
// compiler's messages in the user's words, and the text form with the source line, a marker under the
// offending token and, on a terminal, colour. The library's own records keep their raw texts.
#pragma once

#include <string>
#include <string_view>
#include <vector>

enum class Severity { error, warning, note };

struct Diagnostic {
  Severity severity = Severity::error;
  int line = 0;    // file line; 0 for a message about the whole file
  int column = 0;  // 1-based byte column of the marked text; 0 marks nothing
  int length = 1;  // bytes marked from `column`
  std::string message;
  std::string source;  // the source line shown under the message; empty shows none
  std::vector<std::string> notes;
};

// FILE:LINE:COLUMN: SEVERITY: MESSAGE, then the numbered source line with ^~~ under the marked bytes,
// then each note. With `color`, ANSI colours as compilers use them.
std::string renderDiagnostic(std::string_view file, const Diagnostic& diagnostic, bool color);

// A grammar token name ("T_FUNCTION", "FUNCTION" as the expected-token list writes it, "';'", "$end",
// "<$end>") as the user would write or call it: FUNCTION, identifier, ';', end of input. `detail` is
// the text the scanner matched, used for identifiers, numbers and invalid characters; may be null.
std::string friendlyTokenName(std::string_view name, const char* detail);

// The parser's "syntax error, unexpected X[, expecting A or B]" with every name in the user's words;
// when the message names no expected tokens but `extra` lists them, "expecting one of ..." is added.
// A message of another form comes back unchanged, except the bare "syntax error" of a second program.
std::string friendlyMessage(std::string_view message, const char* detail, const char* extra);

enum class ColorChoice { automatic, always, never };
// Whether to colour what goes to the file descriptor: always, never, or (automatic) when it is a
// terminal that is not "dumb" and NO_COLOR is unset or empty.
bool colorWanted(ColorChoice choice, int fd);
