// sql_text.cpp - the light line reader behind script splitting and diagnostics. It only has to agree
// with SQL*Plus (plain SQL) or the compiler (PL/SQL) on where comments and literals begin and end.
#include "sql_text.h"

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v'; }

bool isWordStart(char c) {
  const auto u = static_cast<unsigned char>(c);
  return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || u == '_' || u >= 0x80;
}

bool isWordPart(char c) {
  const auto u = static_cast<unsigned char>(c);
  return isWordStart(c) || (u >= '0' && u <= '9') || u == '$' || u == '#' || u == '@';
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The character that closes a q'X literal opened with X.
char qCloser(char open) {
  switch (open) {
    case '[': return ']';
    case '(': return ')';
    case '{': return '}';
    case '<': return '>';
    default: return open;
  }
}

// Whether the two characters at `pos` are `a` then `b`.
bool pairAt(std::string_view line, size_t pos, char a, char b) {
  return pos + 1 < line.size() && line[pos] == a && line[pos + 1] == b;
}

void openConstruct(ScanCarry& carry, int line, size_t pos) {
  carry.openLine = line;
  carry.openColumn = static_cast<int>(pos) + 1;
}

}  // namespace

void scanLine(std::string_view line, int lineNumber, Dialect dialect, ScanCarry& carry, std::vector<SqlToken>* tokens) {
  const size_t n = line.size();
  size_t pos = 0;
  size_t literalStart = 0;  // where the open literal's text begins on this line
  auto emit = [&](SqlToken::Kind kind, size_t begin, size_t end, int tokenLine, int column) {
    if (tokens != nullptr) tokens->push_back({kind, line.substr(begin, end - begin), tokenLine, column});
  };
  while (pos < n) {
    if (carry.commentDepth > 0) {
      pos = line.find_first_of("*/", pos);
      if (pos == std::string_view::npos) break;
      if (pairAt(line, pos, '*', '/')) {
        pos += 2;
        if (--carry.commentDepth == 0) carry.openColumn = 0;
      } else if (dialect == Dialect::plsql && !carry.plsqlFlatComments && pairAt(line, pos, '/', '*')) {
        pos += 2;
        ++carry.commentDepth;
      } else {
        ++pos;
      }
      continue;
    }
    if (carry.closeQuote != 0) {
      const size_t close = line.find(carry.closeQuote, pos);
      if (close == std::string_view::npos) {
        pos = n;
        continue;
      }
      size_t end = close + 1;
      if (carry.qQuote) {
        if (end >= n || line[end] != '\'') {
          pos = end;
          continue;
        }
        ++end;
      } else if (end < n && line[end] == carry.closeQuote) {
        pos = end + 1;  // a doubled quote stands for one and does not close
        continue;
      }
      emit(carry.openKind, literalStart, end, carry.openLine, carry.openColumn);
      carry.closeQuote = 0;
      carry.qQuote = false;
      carry.openColumn = 0;
      pos = end;
      continue;
    }
    const char c = line[pos];
    if (isBlank(c)) {
      ++pos;
    } else if (pairAt(line, pos, '-', '-')) {
      break;
    } else if (pairAt(line, pos, '/', '*')) {
      carry.commentDepth = 1;
      openConstruct(carry, lineNumber, pos);
      pos += 2;
    } else if (c == '\'' || c == '"') {
      carry.closeQuote = c;
      carry.openKind = c == '\'' ? SqlToken::literal : SqlToken::quotedName;
      openConstruct(carry, lineNumber, pos);
      literalStart = pos;
      ++pos;
    } else if ((dialect == Dialect::sql || carry.plsqlQQuotes) && (c == 'q' || c == 'Q' || c == 'n' || c == 'N')) {
      // q'X...X' and nq'X...X', the quoting that lets a literal hold single quotes.
      size_t q = pos;
      if ((c == 'n' || c == 'N') && q + 1 < n && (line[q + 1] == 'q' || line[q + 1] == 'Q')) ++q;
      if ((line[q] == 'q' || line[q] == 'Q') && q + 2 < n && line[q + 1] == '\'' && !isBlank(line[q + 2])) {
        carry.closeQuote = qCloser(line[q + 2]);
        carry.qQuote = true;
        carry.openKind = SqlToken::literal;
        openConstruct(carry, lineNumber, pos);
        literalStart = pos;
        pos = q + 3;
        continue;
      }
      size_t end = pos + 1;
      while (end < n && isWordPart(line[end])) ++end;
      emit(SqlToken::word, pos, end, lineNumber, static_cast<int>(pos) + 1);
      pos = end;
    } else if (isWordStart(c)) {
      size_t end = pos + 1;
      while (end < n && isWordPart(line[end])) ++end;
      emit(SqlToken::word, pos, end, lineNumber, static_cast<int>(pos) + 1);
      pos = end;
    } else if (isDigit(c)) {
      size_t end = pos + 1;
      while (end < n && isDigit(line[end])) ++end;
      if (end + 1 < n && line[end] == '.' && line[end + 1] != '.') {
        ++end;
        while (end < n && isDigit(line[end])) ++end;
      }
      emit(SqlToken::number, pos, end, lineNumber, static_cast<int>(pos) + 1);
      pos = end;
    } else {
      static constexpr std::string_view pairs[] = {"<<", ">>", ":=", "..", "||", "=>", "!=", "<>", "<=", ">="};
      size_t length = 1;
      for (std::string_view pair : pairs) {
        if (pairAt(line, pos, pair[0], pair[1])) length = 2;
      }
      emit(SqlToken::symbol, pos, pos + length, lineNumber, static_cast<int>(pos) + 1);
      pos += length;
    }
  }
}

bool isWord(const SqlToken& token, std::string_view upper) {
  if (token.kind != SqlToken::word || token.text.size() != upper.size()) return false;
  for (size_t i = 0; i < upper.size(); ++i) {
    char c = token.text[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != upper[i]) return false;
  }
  return true;
}

bool isSymbol(const SqlToken& token, std::string_view text) {
  return token.kind == SqlToken::symbol && token.text == text;
}

std::vector<std::string_view> splitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    const bool last = end == std::string_view::npos;
    if (last) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    pos = end + 1;
  }
  return lines;
}

std::string_view trimBlanks(std::string_view line) {
  size_t begin = 0;
  size_t end = line.size();
  while (begin < end && isBlank(line[begin])) ++begin;
  while (end > begin && isBlank(line[end - 1])) --end;
  return line.substr(begin, end - begin);
}

std::string upperAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

std::pair<int, int> innerCommentOpening(std::string_view text) {
  int depth = 0;
  int line = 1;
  size_t lineStart = 0;
  char quote = 0;
  std::pair<int, int> inner{0, 0};
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    const char next = i + 1 < text.size() ? text[i + 1] : '\0';
    if (c == '\n') {
      ++line;
      lineStart = i + 1;
      continue;
    }
    if (quote != 0) {
      if (c == quote) quote = 0;  // a doubled quote closes and opens again
      continue;
    }
    const int column = static_cast<int>(i - lineStart) + 1;
    if (depth == 0) {
      if (c == '-' && next == '-') {
        while (i + 1 < text.size() && text[i + 1] != '\n') ++i;
      } else if (c == '\'' || c == '"') {
        quote = c;
      } else if (c == '/' && next == '*') {
        depth = 1;
        inner = {0, 0};
        ++i;
      }
      continue;
    }
    if (c == '/' && next == '*') {
      if (inner.first == 0) inner = {line, column};
      ++depth;
      ++i;
    } else if (c == '*' && next == '/') {
      --depth;
      ++i;
    }
  }
  return depth > 0 ? inner : std::pair<int, int>{0, 0};
}
