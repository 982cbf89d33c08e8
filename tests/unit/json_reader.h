// json_reader.h - a strict JSON reader for tests that check what xcomp writes: anything that is not
// well-formed JSON (a trailing comma, a raw control character, a bad escape, text after the value)
// throws, so a test that reads a report also proves it parses.
#pragma once

#include <cstdlib>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

struct Json {
  enum Kind { null, boolean, number, string, array, object };
  Kind kind = null;
  bool flag = false;
  double value = 0;
  std::string text;
  std::vector<Json> items;
  std::map<std::string, Json> members;

  bool has(const std::string& key) const { return kind == object && members.count(key) != 0; }
  const Json& operator[](const std::string& key) const {
    const auto found = members.find(key);
    if (kind != object || found == members.end()) throw std::runtime_error("no member '" + key + "'");
    return found->second;
  }
  const Json& operator[](size_t i) const {
    if (kind != array || i >= items.size()) throw std::runtime_error("no item " + std::to_string(i));
    return items[i];
  }
  size_t size() const { return kind == array ? items.size() : members.size(); }
  long integer() const {
    if (kind != number) throw std::runtime_error("not a number");
    return static_cast<long>(value);
  }
  const std::string& str() const {
    if (kind != string) throw std::runtime_error("not a string");
    return text;
  }
  bool isNull() const { return kind == null; }
};

class JsonReader {
 public:
  explicit JsonReader(std::string_view text) : text_(text) {}

  Json document() {
    Json v = value();
    blanks();
    if (pos_ != text_.size()) fail("text after the value");
    return v;
  }

 private:
  [[noreturn]] void fail(const std::string& why) const {
    throw std::runtime_error("JSON: " + why + " at byte " + std::to_string(pos_));
  }
  void blanks() {
    while (pos_ < text_.size() &&
           (text_[pos_] == ' ' || text_[pos_] == '\n' || text_[pos_] == '\r' || text_[pos_] == '\t'))
      ++pos_;
  }
  bool take(char c) {
    blanks();
    if (pos_ < text_.size() && text_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }
  void expect(char c) {
    if (!take(c)) fail(std::string("expected '") + c + "'");
  }
  bool word(std::string_view w) {
    if (text_.substr(pos_, w.size()) != w) return false;
    pos_ += w.size();
    return true;
  }

  Json value() {
    blanks();
    if (pos_ >= text_.size()) fail("end of text");
    Json v;
    const char c = text_[pos_];
    if (c == '{') {
      ++pos_;
      v.kind = Json::object;
      if (take('}')) return v;
      do {
        blanks();
        const std::string key = stringValue();
        expect(':');
        if (!v.members.emplace(key, value()).second) fail("member '" + key + "' twice");
      } while (take(','));
      expect('}');
    } else if (c == '[') {
      ++pos_;
      v.kind = Json::array;
      if (take(']')) return v;
      do v.items.push_back(value());
      while (take(','));
      expect(']');
    } else if (c == '"') {
      v.kind = Json::string;
      v.text = stringValue();
    } else if (word("true") || word("false")) {
      v.kind = Json::boolean;
      v.flag = c == 't';
    } else if (word("null")) {
      v.kind = Json::null;
    } else {
      const size_t start = pos_;
      if (pos_ < text_.size() && text_[pos_] == '-') ++pos_;
      while (pos_ < text_.size() && std::string_view("0123456789.eE+-").find(text_[pos_]) != std::string_view::npos)
        ++pos_;
      if (pos_ == start) fail("unexpected character");
      const std::string number(text_.substr(start, pos_ - start));
      char* end = nullptr;
      v.kind = Json::number;
      v.value = std::strtod(number.c_str(), &end);
      if (*end != '\0') fail("bad number " + number);
    }
    return v;
  }

  std::string stringValue() {
    if (pos_ >= text_.size() || text_[pos_] != '"') fail("expected a string");
    ++pos_;
    std::string out;
    for (;;) {
      if (pos_ >= text_.size()) fail("string not closed");
      const char c = text_[pos_++];
      if (c == '"') return out;
      if (static_cast<unsigned char>(c) < 0x20) fail("raw control character in a string");
      if (c != '\\') {
        out += c;
        continue;
      }
      if (pos_ >= text_.size()) fail("string not closed");
      const char e = text_[pos_++];
      switch (e) {
        case '"': out += '"'; break;
        case '\\': out += '\\'; break;
        case '/': out += '/'; break;
        case 'b': out += '\b'; break;
        case 'f': out += '\f'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case 'u': {
          if (pos_ + 4 > text_.size()) fail("short \\u escape");
          const std::string hex(text_.substr(pos_, 4));
          char* end = nullptr;
          const unsigned long code = std::strtoul(hex.c_str(), &end, 16);
          if (*end != '\0') fail("bad \\u escape");
          pos_ += 4;
          if (code < 0x80) {
            out += static_cast<char>(code);
          } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
          } else {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
          }
          break;
        }
        default: fail("bad escape");
      }
    }
  }

  std::string_view text_;
  size_t pos_ = 0;
};

inline Json parseJson(std::string_view text) { return JsonReader(text).document(); }
