// report_baseline.cpp - reading an earlier report.json and comparing units. Only the units array is
// kept, and of each unit only what matches it and its outcome: an earlier report of a large code base
// is read once and leaves a few strings per unit behind.
#include "report_baseline.h"

#include <algorithm>
#include <cstdlib>

#include "output/json_output.h"
#include "script/inputs.h"

namespace {

// A reader of just enough JSON for report.json: objects, arrays, strings, numbers, literals.
class JsonCursor {
 public:
  explicit JsonCursor(const std::string& text) : text_(text) {}

  bool failed() const { return failed_; }
  void fail() { failed_ = true; }

  // Consumes `c` after blanks; false (and failed) when something else is there.
  bool expect(char c) {
    if (peek() == c) {
      ++pos_;
      return true;
    }
    failed_ = true;
    return false;
  }

  // Consumes `c` after blanks when it is there.
  bool take(char c) {
    if (peek() != c) return false;
    ++pos_;
    return true;
  }

  char peek() {
    while (pos_ < text_.size() &&
           (text_[pos_] == ' ' || text_[pos_] == '\n' || text_[pos_] == '\r' || text_[pos_] == '\t'))
      ++pos_;
    return pos_ < text_.size() ? text_[pos_] : '\0';
  }

  bool string(std::string* out) {
    if (!expect('"')) return false;
    out->clear();
    while (pos_ < text_.size()) {
      const char c = text_[pos_++];
      if (c == '"') return true;
      if (c != '\\') {
        *out += c;
        continue;
      }
      if (pos_ >= text_.size()) break;
      const char e = text_[pos_++];
      switch (e) {
        case 'n': *out += '\n'; break;
        case 't': *out += '\t'; break;
        case 'r': *out += '\r'; break;
        case 'b': *out += '\b'; break;
        case 'f': *out += '\f'; break;
        case 'u': appendCodePoint(out); break;
        default: *out += e;
      }
    }
    failed_ = true;
    return false;
  }

  // A number, string, literal, array or object, read past.
  void skipValue() {
    const char c = peek();
    std::string ignored;
    if (c == '"') {
      string(&ignored);
    } else if (c == '{' || c == '[') {
      const char close = c == '{' ? '}' : ']';
      ++pos_;
      if (take(close)) return;
      do {
        if (c == '{' && (!string(&ignored) || !expect(':'))) return;
        skipValue();
      } while (!failed_ && take(','));
      expect(close);
    } else {
      const size_t start = pos_;
      while (pos_ < text_.size() && std::string_view(",]} \n\r\t").find(text_[pos_]) == std::string_view::npos) ++pos_;
      if (pos_ == start) failed_ = true;
    }
  }

  long integer() {
    peek();
    char* end = nullptr;
    const long n = std::strtol(text_.c_str() + pos_, &end, 10);
    if (end == text_.c_str() + pos_) failed_ = true;
    pos_ = static_cast<size_t>(end - text_.c_str());
    return n;
  }

  // A string, or null as the empty string.
  bool stringOrNull(std::string* out) {
    if (peek() != 'n') return string(out);
    out->clear();
    skipValue();
    return true;
  }

 private:
  unsigned hex4() {
    if (pos_ + 4 > text_.size()) {
      failed_ = true;
      return 0;
    }
    const unsigned value = static_cast<unsigned>(std::strtoul(text_.substr(pos_, 4).c_str(), nullptr, 16));
    pos_ += 4;
    return value;
  }

  void appendCodePoint(std::string* out) {
    unsigned cp = hex4();
    if (cp >= 0xD800 && cp < 0xDC00 && text_.compare(pos_, 2, "\\u") == 0) {
      pos_ += 2;
      cp = 0x10000 + ((cp - 0xD800) << 10) + (hex4() - 0xDC00);
    }
    if (cp < 0x80) {
      *out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      *out += static_cast<char>(0xC0 | (cp >> 6));
      *out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      *out += static_cast<char>(0xE0 | (cp >> 12));
      *out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      *out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      *out += static_cast<char>(0xF0 | (cp >> 18));
      *out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      *out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      *out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }

  const std::string& text_;
  size_t pos_ = 0;
  bool failed_ = false;
};

UnitRef refOf(const std::tuple<std::string, std::string, std::string, int>& key, int line) {
  return {std::get<0>(key), std::get<1>(key), std::get<2>(key), line};
}

}  // namespace

BaselineComparison::Key BaselineComparison::keyOf(
    const std::string& file, const std::string& kind, const std::string& name,
    std::map<std::tuple<std::string, std::string, std::string>, int>& counts) {
  const int ordinal = counts[{file, kind, name}]++;
  return {file, kind, name, ordinal};
}

bool BaselineComparison::readEarlierReport(const std::string& path, std::string* problem) {
  std::string text;
  InputFile input;
  input.path = path;
  if (!readInput(input, &text)) {
    *problem = "cannot read it";
    return false;
  }
  JsonCursor json(text);
  bool sawTool = false;
  bool sawUnits = false;
  std::string key;
  std::string value;
  if (json.expect('{') && !json.take('}')) {
    do {
      if (!json.string(&key) || !json.expect(':')) break;
      if (key == "tool") {
        sawTool = json.string(&value) && value == "xcomp";
      } else if (key == "units" && json.expect('[')) {
        sawUnits = true;
        if (json.take(']')) continue;
        do {
          std::string file, kind, name, outcome;
          long line = 0;
          if (!json.expect('{')) break;
          if (json.take('}')) continue;
          do {
            if (!json.string(&key) || !json.expect(':')) break;
            if (key == "file") {
              json.string(&file);
            } else if (key == "kind") {
              json.string(&kind);
            } else if (key == "name") {
              json.stringOrNull(&name);
            } else if (key == "outcome") {
              json.string(&outcome);
            } else if (key == "firstLine") {
              line = json.integer();
            } else {
              json.skipValue();
            }
          } while (!json.failed() && json.take(','));
          json.expect('}');
          const Key k = keyOf(file, kind, name, countsBefore_);
          before_[k] = {outcome == "translated", static_cast<int>(line), before_.size()};
        } while (!json.failed() && json.take(','));
        json.expect(']');
      } else {
        json.skipValue();
      }
    } while (!json.failed() && json.take(','));
  }
  if (json.failed() || !sawTool || !sawUnits) {
    *problem = "not a report.json written by xcomp --report";
    return false;
  }
  return true;
}

void BaselineComparison::add(const std::string& file, const ReportUnit& unit) {
  const Key k = keyOf(file, unit.kind, unit.name, countsNow_);
  now_[k] = {unit.translated, unit.firstLine, now_.size()};
}

ReportChanges BaselineComparison::changes() const {
  ReportChanges out;
  std::vector<std::pair<size_t, UnitRef>> fixed, regressed, added, gone;
  for (const auto& [key, seen] : now_) {
    const auto before = before_.find(key);
    if (before == before_.end()) {
      added.emplace_back(seen.order, refOf(key, seen.line));
    } else if (seen.translated && !before->second.translated) {
      fixed.emplace_back(seen.order, refOf(key, seen.line));
    } else if (!seen.translated && before->second.translated) {
      regressed.emplace_back(seen.order, refOf(key, seen.line));
    }
  }
  for (const auto& [key, seen] : before_) {
    if (now_.count(key) == 0) gone.emplace_back(seen.order, refOf(key, seen.line));
  }
  const auto ordered = [](std::vector<std::pair<size_t, UnitRef>>& refs, std::vector<UnitRef>& to) {
    std::sort(refs.begin(), refs.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& r : refs) to.push_back(std::move(r.second));
  };
  ordered(fixed, out.fixed);
  ordered(regressed, out.regressed);
  ordered(added, out.added);
  ordered(gone, out.gone);
  return out;
}
