// inputs.h - what xcomp reads: the files and directories named on the command line, directories
// walked for PL/SQL sources in a fixed order, and the checks a file must pass before it is read as a
// script (not binary, valid in its encoding), which leave its text in UTF-8.
#pragma once

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
  // Found under a named directory: the scripts it runs are inputs of their own there, so they are not
  // also read where it runs them.
  bool walked = false;
};

// The inputs in command-line order; a directory becomes the source files under it (recursively, by
// extension in any letter case, sorted by path), or one entry saying it holds none or cannot be read.
std::vector<InputFile> expandInputs(const std::vector<std::string>& arguments);

// Whether a file name ends in one of the usual PL/SQL source extensions.
bool isSourceFileName(std::string_view name);

// The whole file or standard input; false when it cannot be read.
bool readInput(const InputFile& input, std::string* bytes);

// Whether `name` is an encoding files can be read in: auto, utf-8, windows-1252 or a name iconv knows.
bool isKnownEncoding(const std::string& name);

// Checks raw bytes and returns the text to read as a script, in UTF-8. `encoding` "auto" takes valid
// UTF-8 as it is and anything else as Windows-1252, with a warning in `warning` (left with an empty
// message otherwise) naming the first line that is not UTF-8; "utf-8" must be valid UTF-8; any other
// name is converted from. A UTF-8 byte-order mark is dropped. On a binary file or bytes that are not
// valid in the encoding, fills `problem` (with the line of the first bad byte) and returns false.
bool prepareText(const std::string& bytes, const std::string& encoding, std::string* text, Diagnostic* problem,
                 Diagnostic* warning);
