// json_output.h - the one JSON object per item that --json prints: the library's raw records (the
// SQLCA, the error records with their request lines) beside what xcomp adds (the item's kind, file
// lines, warnings).
#pragma once

#include <string>
#include <vector>

#include "compile.h"
#include "diagnostics.h"
#include "script/script_reader.h"

struct JsonItem {
  const ScriptItem* item = nullptr;
  int number = 0;                    // from 1 within the file
  const Outcome* outcome = nullptr;  // for a compiled unit
  bool ok = true;
  std::vector<Diagnostic> scriptErrors;  // errors of xcomp's own (reading, --sql error)
  std::vector<Diagnostic> warnings;
  std::vector<Diagnostic> notes;            // what --extend accepted faithfully; the key is written only when any
  const std::string* passedText = nullptr;  // a statement copied to the output
};

// One line: {"file", "request", "kind", "firstLine", "lastLine", "ok", "sqlcode", "sqlstate",
// "sqlerrmc", "errorLine", "errors", "warnings", ["notes",] ["results"]}; "notes" only when there are
// any, "results" only when the item is ok. Error messages are in the words stderr shows.
std::string jsonItem(const std::string& file, const JsonItem& entry);

// The record of a file refused whole (unreadable, binary, a byte the code page has not): the keys of
// an item's, with "kind": "file", null request and lines, and `error` with domain "script".
std::string jsonRefusedFile(const std::string& file, const Diagnostic& error);

// `text` as a JSON string; well-formed UTF-8 passes, any other byte becomes \u00XX of itself.
void appendJsonString(std::string& out, const char* text, size_t length);
