// token_codes.cpp - printable names of token codes, for the debug views and the token listing.
// The table is filled at compile time from the grammar's own token list, so a token added, renamed or
// renumbered in the grammar is named here without a second list to keep in step.
#include "lexer/token_codes.h"

#include <array>

namespace {

constexpr int firstNamedToken = T_no_lookahead;
constexpr int namedTokenCount = T_UPDATING_COLUMN - T_no_lookahead + 1;

struct NamedToken {
  int code;
  const char* name;
};

#define TOKEN(name) NamedToken{name, #name},
constexpr NamedToken namedTokens[] = {XCOMP_TOKENS(TOKEN)};
#undef TOKEN

constexpr std::array<const char*, namedTokenCount> buildNameTable() {
  std::array<const char*, namedTokenCount> names{};
  for (const NamedToken& token : namedTokens) names[token.code - firstNamedToken] = token.name;
  return names;
}
constexpr std::array<const char*, namedTokenCount> namedTokenNames = buildNameTable();

constexpr bool everyCodeNamed() {
  for (const char* name : namedTokenNames)
    if (name == nullptr) return false;
  return sizeof(namedTokens) / sizeof(namedTokens[0]) == namedTokenCount;
}
static_assert(everyCodeNamed(), "every token code from T_no_lookahead to T_UPDATING_COLUMN has exactly one name");

// "'c'" for printable characters, "'\xNN'" for the rest, built once at compile time.
using CharName = std::array<char, 8>;
constexpr std::array<CharName, 256> buildCharNames() {
  std::array<CharName, 256> names{};
  constexpr char hex[] = "0123456789abcdef";
  for (int c = 0; c < 256; ++c) {
    CharName& n = names[c];
    if (c >= 0x20 && c < 0x7f) {
      n = {'\'', static_cast<char>(c), '\'', 0, 0, 0, 0, 0};
    } else {
      n = {'\'', '\\', 'x', hex[c >> 4], hex[c & 15], '\'', 0, 0};
    }
  }
  return names;
}
constexpr std::array<CharName, 256> charNames = buildCharNames();

}  // namespace

const char* tokenCodeName(int code) {
  if (code == 0) return "end of input";
  if (code > 0 && code < 256) return charNames[code].data();
  if (code == 256) return "<error>";
  if (code == 257) return "<undefined>";
  if (code >= firstNamedToken && code < firstNamedToken + namedTokenCount)
    return namedTokenNames[code - firstNamedToken];
  return "<unknown>";
}
