// inputs.h - what xcomp reads: the files and directories named on the command line, directories
// walked for PL/SQL sources in a fixed order, and the checks a file must pass before it is read as a
// script (not binary, in the session's code page).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "output/diagnostics.h"

struct InputFile {
  enum Kind { file, standardInput, emptyDirectory, unreadableDirectory };
  Kind kind = file;
  std::string path;       // as named, or as found under a named directory
  std::string shownName;  // in messages: the path, or "<stdin>"
  // Where --out-dir writes the file's translation: the path below the named directory it was found
  // in; for a file named itself, its path when that stays below the working directory, else its name.
  std::string relativePath;
};

// The inputs in command-line order; a directory becomes the source files under it (recursively, by
// extension in any letter case, sorted by path), or one entry saying it holds none or cannot be read.
std::vector<InputFile> expandInputs(const std::vector<std::string>& arguments);

// Whether a file name ends in one of the usual PL/SQL source extensions.
bool isSourceFileName(std::string_view name);

// The whole file or standard input; false when it cannot be read.
bool readInput(const InputFile& input, std::string* bytes);

// Checks raw bytes before they are read as a script in `codePage` and returns the text to read: the
// bytes without a UTF-8 byte-order mark, converted to UTF-8 when the code page is converted for
// compiling. On a binary file or a byte that is not valid in the code page, fills `problem` (with the
// line of the first bad byte) and returns false.
bool prepareText(const std::string& bytes, uint16_t codePage, std::string* text, Diagnostic* problem);
