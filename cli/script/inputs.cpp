// inputs.cpp - naming, walking and checking the inputs. A bad file is reported and skipped; it never
// stops the others.
#include "inputs.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "compile.h"
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
      inputs.push_back({InputFile::file, path, path, fs::path(path).lexically_relative(argument).string()});
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

bool prepareText(const std::string& bytes, uint16_t codePage, std::string* text, Diagnostic* problem) {
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
  if (codePage == XCOMP_CODEPAGE_UTF8) {
    const size_t bad = firstInvalidUtf8(body);
    if (bad != std::string_view::npos) {
      *problem = problemAt(body, bad,
                           "byte " + hexByte(static_cast<unsigned char>(body[bad])) +
                               " is not UTF-8: the file is not in code page " + std::to_string(XCOMP_CODEPAGE_UTF8) +
                               "; name its code page with --codepage");
      problem->source = std::string(lineAt(body, bad));
      return false;
    }
    *text = std::string(body);
    return true;
  }
  std::string converted;
  if (!convertText(std::string(body), codePage, XCOMP_CODEPAGE_UTF8, &converted)) {
    // The first line that does not convert holds the first bad byte.
    size_t start = 0;
    while (start < body.size()) {
      size_t end = body.find('\n', start);
      if (end == std::string_view::npos) end = body.size();
      std::string ignored;
      if (!convertText(std::string(body.substr(start, end - start)), codePage, XCOMP_CODEPAGE_UTF8, &ignored)) break;
      start = end + 1;
    }
    *problem = problemAt(body, std::min(start, body.size()),
                         "the file holds a byte that is not valid in code page " + std::to_string(codePage) +
                             "; name its code page with --codepage");
    problem->column = 0;
    problem->source = std::string(lineAt(body, std::min(start, body.size())));
    return false;
  }
  *text = convertsInput(codePage) ? std::move(converted) : std::string(body);
  return true;
}
