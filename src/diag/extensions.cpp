// extensions.cpp - the names of the opt-in translations. The command line, the migration report and
// the notes a compilation records all spell an extension from this one table.
#include "diag/session.h"

#include <cstring>

const ExtensionRow extensionTable[] = {
    {"q-quotes", extendQQuotes, "q'[...]', Q'{...}' and nq'<...>' string literals"},
    {nullptr, 0, nullptr},
};

uint32_t allExtensions() {
  uint32_t bits = 0;
  for (const ExtensionRow* row = extensionTable; row->name != nullptr; ++row) bits |= row->bit;
  return bits;
}

uint32_t extensionNamed(const char* name) {
  if (name == nullptr) return 0;
  for (const ExtensionRow* row = extensionTable; row->name != nullptr; ++row) {
    if (std::strcmp(row->name, name) == 0) return row->bit;
  }
  return 0;
}

const char* extensionName(uint32_t bit) {
  for (const ExtensionRow* row = extensionTable; row->name != nullptr; ++row) {
    if (row->bit == bit) return row->name;
  }
  return nullptr;
}
