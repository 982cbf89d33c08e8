// inputs.cpp - naming, walking and checking the inputs. A bad file is reported and skipped; it never
// stops the others.
#include "inputs.h"

#include <iconv.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "sql_text.h"

namespace fs = std::filesystem;

namespace {

constexpr std::string_view sourceExtensions[] = {".sql", ".pks", ".pkb", ".pkg", ".pls", ".plb", ".prc",
                                                 ".fnc", ".trg", ".tps", ".tpb", ".typ", ".bdy", ".spc"};

// 1-based line and column of byte `offset`.
std::pair<int, int> lineAndColumn(std::string_view text, size_t offset) {
  const std::string_view before = text.substr(0, offset);
  const int line = static_cast<int>(std::count(before.begin(), before.end(), '\n')) + 1;
  const size_t lineStart = before.rfind('\n');
  const int column = static_cast<int>(lineStart == std::string_view::npos ? offset : offset - lineStart - 1) + 1;
  return {line, column};
}

std::string_view lineAt(std::string_view text, size_t offset) {
  size_t start = text.rfind('\n', offset);
  start = start == std::string_view::npos ? 0 : start + 1;
  size_t end = text.find('\n', offset);
  if (end == std::string_view::npos) end = text.size();
  std::string_view line = text.substr(start, end - start);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

// The offset of the first byte that does not belong to well-formed UTF-8, or npos.
size_t firstInvalidUtf8(std::string_view s) {
  const size_t n = s.size();
  for (size_t i = 0; i < n;) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      ++i;
      continue;
    }
    size_t len = c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 0;
    if (len == 0 || i + len > n) return i;
    for (size_t k = 1; k < len; ++k) {
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return i;
    }
    const auto c1 = static_cast<unsigned char>(s[i + 1]);
    if ((c == 0xE0 && c1 < 0xA0) || (c == 0xED && c1 >= 0xA0) || (c == 0xF0 && c1 < 0x90) || (c == 0xF4 && c1 >= 0x90))
      return i;
    i += len;
  }
  return std::string_view::npos;
}

Diagnostic problemAt(std::string_view text, size_t offset, std::string message) {
  Diagnostic d;
  const auto [line, column] = lineAndColumn(text, offset);
  d.line = line;
  d.column = column;
  d.message = std::move(message);
  return d;
}

std::string lowerAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

// The offset where 1-based line `line` starts.
size_t lineOffset(std::string_view text, int line) {
  size_t offset = 0;
  for (int k = 1; k < line && offset != std::string_view::npos; ++k) {
    offset = text.find('\n', offset);
    if (offset != std::string_view::npos) ++offset;
  }
  return offset == std::string_view::npos ? text.size() : offset;
}

// Converts `in` from the iconv encoding `from` to UTF-8; npos on success, else the offset of the
// first byte that does not convert.
size_t convertToUtf8(std::string_view in, const char* from, std::string* out) {
  const iconv_t cd = iconv_open("UTF-8", from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return 0;
  out->assign(in.size() * 4 + 16, '\0');
  char* source = const_cast<char*>(in.data());
  size_t left = in.size();
  char* target = out->data();
  size_t room = out->size();
  const size_t rc = iconv(cd, &source, &left, &target, &room);
  iconv_close(cd);
  if (rc == static_cast<size_t>(-1)) return static_cast<size_t>(source - in.data());
  out->resize(out->size() - room);
  return std::string_view::npos;
}

std::string hexByte(unsigned char c) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "0x%02X", c);
  return buffer;
}

}  // namespace

bool isSourceFileName(std::string_view name) {
  const size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return false;
  std::string extension(name.substr(dot));
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
  return std::find(std::begin(sourceExtensions), std::end(sourceExtensions), extension) != std::end(sourceExtensions);
}

namespace {

std::string namedFileRelativePath(const std::string& argument) {
  const fs::path path = fs::path(argument).lexically_normal();
  if (path.is_absolute() || path.empty() || *path.begin() == "..") return path.filename().string();
  return path.string();
}

}  // namespace

std::vector<InputFile> expandInputs(const std::vector<std::string>& arguments) {
  std::vector<InputFile> inputs;
  for (const std::string& argument : arguments) {
    if (argument == "-") {
      inputs.push_back({InputFile::standardInput, argument, "<stdin>", ""});
      continue;
    }
    std::error_code error;
    if (!fs::is_directory(argument, error)) {
      inputs.push_back({InputFile::file, argument, argument, namedFileRelativePath(argument)});
      continue;
    }
    std::vector<std::string> found;
    // Directory links are not followed, so a link back up the tree cannot loop.
    fs::recursive_directory_iterator walk(argument, fs::directory_options::skip_permission_denied, error);
    for (; !error && walk != fs::recursive_directory_iterator(); walk.increment(error)) {
      std::error_code fileError;
      if (walk->is_regular_file(fileError) && isSourceFileName(walk->path().filename().string()))
        found.push_back(walk->path().string());
    }
    if (error && found.empty()) {
      inputs.push_back({InputFile::unreadableDirectory, argument, argument, ""});
      continue;
    }
    if (found.empty()) {
      inputs.push_back({InputFile::emptyDirectory, argument, argument, ""});
      continue;
    }
    std::sort(found.begin(), found.end());
    for (std::string& path : found)
      inputs.push_back({InputFile::file, path, path, fs::path(path).lexically_relative(argument).string(), true});
  }
  return inputs;
}

bool readInput(const InputFile& input, std::string* bytes) {
  std::FILE* in = input.kind == InputFile::standardInput ? stdin : std::fopen(input.path.c_str(), "rb");
  if (in == nullptr) return false;
  bytes->clear();
  char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0) bytes->append(buffer, n);
  const bool ok = !std::ferror(in);
  if (in != stdin) std::fclose(in);
  return ok;
}

bool isKnownEncoding(const std::string& name) {
  const std::string lower = lowerAscii(name);
  if (lower == "auto" || lower == "utf-8" || lower == "utf8") return true;
  const iconv_t cd = iconv_open("UTF-8", name.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  iconv_close(cd);
  return true;
}

bool prepareText(const std::string& bytes, const std::string& encoding, std::string* text, Diagnostic* problem,
                 Diagnostic* warning) {
  warning->message.clear();
  const size_t nul = bytes.find('\0');
  if (nul != std::string::npos) {
    *problem = problemAt(bytes, nul, "");
    problem->message = "binary file (a NUL byte on line " + std::to_string(problem->line) + "); not read";
    problem->line = 0;
    problem->column = 0;
    return false;
  }
  std::string_view body(bytes);
  if (body.starts_with("\xEF\xBB\xBF")) body.remove_prefix(3);
  const std::string lower = lowerAscii(encoding);
  const bool automatic = lower == "auto";
  if (automatic || lower == "utf-8" || lower == "utf8") {
    const size_t bad = firstInvalidUtf8(body);
    if (bad == std::string_view::npos) {
      *text = std::string(body);
      return true;
    }
    if (!automatic) {
      *problem = problemAt(body, bad,
                           "byte " + hexByte(static_cast<unsigned char>(body[bad])) +
                               " is not UTF-8; name the file's encoding with --encoding");
      problem->source = std::string(lineAt(body, bad));
      return false;
    }
    *warning = problemAt(body, bad, "");
    warning->severity = Severity::warning;
    warning->message =
        "the file's first line that is not UTF-8: it is read as Windows-1252 (--encoding names "
        "another)";
  }
  const std::string from = automatic ? "WINDOWS-1252" : encoding;
  const size_t bad = convertToUtf8(body, from.c_str(), text);
  if (bad == std::string_view::npos) {
    if (!warning->message.empty()) {
      warning->column = 0;
      warning->source = std::string(lineAt(*text, lineOffset(*text, warning->line)));
    }
    return true;
  }
  *problem = problemAt(body, bad,
                       "byte " + hexByte(static_cast<unsigned char>(body[bad])) + " is not valid in " +
                           (automatic ? std::string("UTF-8 or Windows-1252") : encoding) +
                           "; name the file's encoding with --encoding");
  warning->message.clear();
  return false;
}
