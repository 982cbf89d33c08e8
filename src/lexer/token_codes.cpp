// token_codes.cpp - printable names of token codes, for the debug views and the token listing.
// The table is filled at compile time from the grammar's own enumerators, so a renamed or renumbered
// token fails the build instead of printing a wrong name.
#include "lexer/token_codes.h"

#include <array>

namespace {

constexpr int firstNamedToken = T_no_lookahead;
constexpr int namedTokenCount = T_XMLCAST - T_no_lookahead + 1;

struct NamedToken {
  int code;
  const char* name;
};

#define TOKEN(name) \
  NamedToken { name, #name }
constexpr NamedToken namedTokens[] = {
    TOKEN(T_no_lookahead),
    TOKEN(T_lexical_error),
    TOKEN(T_DIGITS),
    TOKEN(T_HEXLIT),
    TOKEN(T_NUMERICNO),
    TOKEN(T_COMPARISON),
    TOKEN(T_ARGNAME),
    TOKEN(T_TRIG_VAR),
    TOKEN(T_SQL_NOTFOUND),
    TOKEN(T_SQL_FOUND),
    TOKEN(T_SQL_ROWCOUNT),
    TOKEN(T_STRING),
    TOKEN(T_DTYPE),
    TOKEN(T_WORD),
    TOKEN(T_PERCENT_TYPE),
    TOKEN(T_PERCENT_ROWTYPE),
    TOKEN(T_EXECUTE),
    TOKEN(T_PRAGMA),
    TOKEN(T_AFTER),
    TOKEN(T_ALIAS),
    TOKEN(T_AUTHID),
    TOKEN(T_AUTONOMOUS_XACT),
    TOKEN(T_DETERMINISTIC),
    TOKEN(T_PIPELINED),
    TOKEN(T_INDEX),
    TOKEN(T_BY),
    TOKEN(T_ORDER),
    TOKEN(T_CLUSTER),
    TOKEN(T_PARALLEL_ENABLE),
    TOKEN(T_PARTITION),
    TOKEN(T_HASH),
    TOKEN(T_ANY),
    TOKEN(T_LABEL_BEG),
    TOKEN(T_LABEL_END),
    TOKEN(T_DECLARE),
    TOKEN(T_BEGIN),
    TOKEN(T_END),
    TOKEN(T_ASSIGN),
    TOKEN(T_DOTDOT),
    TOKEN(T_CONCAT),
    TOKEN(T_DCOLON),
    TOKEN(T_PLUS),
    TOKEN(T_MINUS),
    TOKEN(T_IF),
    TOKEN(T_THEN),
    TOKEN(T_ELSIF),
    TOKEN(T_ELSE),
    TOKEN(T_WHEN),
    TOKEN(T_OR),
    TOKEN(T_NOT),
    TOKEN(T_LOOP),
    TOKEN(T_WHILE),
    TOKEN(T_REVERSE),
    TOKEN(T_FOR),
    TOKEN(T_SELECT),
    TOKEN(T_FROM),
    TOKEN(T_INTO),
    TOKEN(T_WHERE),
    TOKEN(T_USING),
    TOKEN(T_INSERT),
    TOKEN(T_UPDATE),
    TOKEN(T_DELETE),
    TOKEN(T_MERGE),
    TOKEN(T_LOCK),
    TOKEN(T_TRUNCATE),
    TOKEN(T_SAVEPOINT),
    TOKEN(T_CURSOR_NOTFOUND),
    TOKEN(T_CURSOR_FOUND),
    TOKEN(T_CURSOR_ROWCOUNT),
    TOKEN(T_CURSOR_ISOPEN),
    TOKEN(T_OPEN),
    TOKEN(T_CLOSE),
    TOKEN(T_CURSOR),
    TOKEN(T_IS),
    TOKEN(T_FETCH),
    TOKEN(T_PIPE),
    TOKEN(T_DELETING),
    TOKEN(T_INSERTING),
    TOKEN(T_UPDATING),
    TOKEN(T_EXIT),
    TOKEN(T_EXISTS),
    TOKEN(T_IN),
    TOKEN(T_SQLCODE),
    TOKEN(T_SQLERRM),
    TOKEN(T_SQLERRMFUNC),
    TOKEN(T_EXCEPTION),
    TOKEN(T_SQLSTATE),
    TOKEN(T_NULL),
    TOKEN(T_COMMIT),
    TOKEN(T_ROLLBACK),
    TOKEN(T_RETURN),
    TOKEN(T_START),
    TOKEN(T_TRANSACTION),
    TOKEN(T_RETURNING),
    TOKEN(T_CASE),
    TOKEN(T_CAST),
    TOKEN(T_CONTINUE),
    TOKEN(T_IMMEDIATE),
    TOKEN(T_RAISE),
    TOKEN(T_READS_SQL_DATA),
    TOKEN(T_TYPE),
    TOKEN(T_RECORD),
    TOKEN(T_REFCURSOR),
    TOKEN(T_VARRAY),
    TOKEN(T_OBJECT),
    TOKEN(T_PROCEDURE),
    TOKEN(T_CREATE),
    TOKEN(T_FUNCTION),
    TOKEN(T_DROP),
    TOKEN(T_AS),
    TOKEN(T_REPLACE),
    TOKEN(T_CURRENT_USER),
    TOKEN(T_DEFINER),
    TOKEN(T_CURRENT),
    TOKEN(T_DATE),
    TOKEN(T_TIMESTAMP),
    TOKEN(T_COMMA),
    TOKEN(T_TERMINATOR),
    TOKEN(T_COMMENT_SEMI),
    TOKEN(T_OUT),
    TOKEN(T_GOTO),
    TOKEN(T_DEFAULT),
    TOKEN(T_CONSTANT),
    TOKEN(T_NOCOPY),
    TOKEN(T_EXCEPTION_INIT),
    TOKEN(T_NUV_EXCEPTION_INIT),
    TOKEN(T_PACKAGE),
    TOKEN(T_BODY),
    TOKEN(T_TRIGGER),
    TOKEN(T_BEFORE),
    TOKEN(T_INSTEAD),
    TOKEN(T_OF),
    TOKEN(T_REFERENCING),
    TOKEN(T_OLD),
    TOKEN(T_NEW),
    TOKEN(T_ON),
    TOKEN(T_PARENT),
    TOKEN(T_EACH),
    TOKEN(T_ROW),
    TOKEN(T_STATEMENT),
    TOKEN(T_FOLLOWS),
    TOKEN(T_DISABLE),
    TOKEN(T_COMPOUND),
    TOKEN(T_BULK),
    TOKEN(T_COLLECT),
    TOKEN(T_LIMIT),
    TOKEN(T_WITH),
    TOKEN(T_FORALL),
    TOKEN(T_INDICES),
    TOKEN(T_VALUES),
    TOKEN(T_TABLE),
    TOKEN(T_AND),
    TOKEN(T_BETWEEN),
    TOKEN(T_EXPO),
    TOKEN(T_LIKE),
    TOKEN(T_ESCAPE),
    TOKEN(T_RANGE),
    TOKEN(T_SUBTYPE),
    TOKEN(T_XMLPARSE),
    TOKEN(T_XMLCAST),
};
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
static_assert(everyCodeNamed(), "every token code from T_no_lookahead to T_XMLCAST has exactly one name");

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
