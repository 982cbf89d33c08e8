// xcomp.cpp - the command-line translator: splits PL/SQL scripts into requests at lines holding only
// "/", compiles each on its own through the compile driver, and prints the generated statements, or
// compiler-style errors, or one JSON object per request. A failed request never stops the next one.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "entry/entry.h"
#include "execute.h"
#include "xcomp2.h"

namespace {

const char* const usageText =
    "usage: xcomp [OPTIONS] [FILE ...]\n"
    "Translates PL/SQL scripts; requests are separated by lines holding only '/'.\n"
    "Reads standard input when no FILE is given or FILE is '-'.\n"
    "\n"
    "  -o FILE               write the generated statements to FILE\n"
    "  --terminator TEXT     session terminator written after each statement (default: none)\n"
    "  --no-line-markers     do not write --#line markers\n"
    "  --codepage N          input is in code page N; output is converted back to it\n"
    "  --string-units S|4    SYSTEM or CODEUNITS32 string units\n"
    "  --nchar-mapping 0..3  NCHAR mapping of the session\n"
    "  --compat 0|1|2        SQL compatibility mode of the session\n"
    "  --allow-multiple      accept several programs in one request\n"
    "  --json                one JSON object per request instead of statements\n"
    "  --dump                append a record of each request to the diagnostic dump file\n"
    "  --trace-parser        write the parser's trace to standard error\n"
    "  --print-tokens        list the tokens of each request instead of compiling\n"
    "  --print-tree          print the syntax tree of each request instead of compiling\n"
    "%s"
    "  --help                show this text\n"
    "  --version             show the version\n";

struct Options {
  std::vector<std::string> files;
  std::string output;
  std::string terminator;
  bool lineMarkers = true;
  uint16_t codePage = 1208;
  char stringUnits = 'S';
  char ncharMapping = '0';
  char compatMode = '0';
  bool allowMultiple = false;
  bool json = false;
  bool dump = false;
  bool traceParser = false;
  bool printTokens = false;
  bool printTree = false;
  ExecuteOptions execute;
};

struct Request {
  int number;     // from 1 within its file
  int firstLine;  // file line where the request's text begins
  std::string text;
};

// A copy of an error record that outlives the compilation's pool.
struct ErrorCopy {
  std::optional<std::string> message, nearText, detail, extra;
  uint32_t domain;
  int32_t line;
};

std::optional<std::string> copyText(const char* text) {
  if (text == nullptr) return std::nullopt;
  return std::string(text);
}

const char* textOf(const std::optional<std::string>& text) { return text ? text->c_str() : nullptr; }

struct Outcome {
  bool ok = false;
  SQLCA sqlca{};
  bool compileError = false;
  std::vector<ErrorCopy> errors;
  std::vector<std::pair<uint32_t, std::string>> results;
  std::string view;
  bool executed = false;  // the statements ran; sqlca is the run's outcome
};

[[noreturn]] void usageError(const std::string& message) {
  std::fprintf(stderr, "xcomp: %s\n%s", message.c_str(), "Try 'xcomp --help'.\n");
  std::exit(2);
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// A line that holds only "/" (blanks and tabs around it allowed) ends a request.
bool isTerminatorLine(const std::string& line) {
  size_t i = 0;
  while (i < line.size() && isBlank(line[i])) ++i;
  if (i == line.size() || line[i] != '/') return false;
  ++i;
  while (i < line.size() && isBlank(line[i])) ++i;
  return i == line.size();
}

bool hasContent(const std::string& text) {
  for (char c : text) {
    if (!isBlank(c) && c != '\n') return true;
  }
  return false;
}

std::vector<Request> splitRequests(const std::string& script) {
  std::vector<Request> requests;
  std::string current;
  int currentFirst = 1;
  int lineNumber = 0;
  size_t pos = 0;
  auto flush = [&] {
    if (hasContent(current)) requests.push_back({static_cast<int>(requests.size()) + 1, currentFirst, current});
    current.clear();
  };
  while (pos < script.size()) {
    size_t end = script.find('\n', pos);
    const bool lastLine = end == std::string::npos;
    if (lastLine) end = script.size();
    const std::string line = script.substr(pos, end - pos);
    ++lineNumber;
    if (isTerminatorLine(line)) {
      flush();
      currentFirst = lineNumber + 1;
    } else {
      current += line;
      if (!lastLine) current += '\n';
    }
    pos = end + 1;
  }
  flush();
  return requests;
}

void collectView(void* arg, const char* text) { static_cast<std::string*>(arg)->append(text); }

// Converts between the session's code page and UTF-8; false on failure.
bool convertText(const std::string& in, uint16_t from, uint16_t to, std::string* out) {
  std::string buffer(in.size() * 4 + 16, '\0');
  size_t left = 0;
  const uint32_t rc = convertCodepage(in.data(), in.size(), from, to, buffer.data(), buffer.size(), &left);
  if (rc != 0) return false;
  buffer.resize(buffer.size() - left);
  *out = buffer;
  return true;
}

Outcome compileRequest(const Options& options, const std::string& utf8Text, const std::string& callerText) {
  Outcome outcome;
  clearSqlca(&outcome.sqlca);
  SessionSettings settings =
      sessionSettingsFor(options.codePage, options.stringUnits, options.compatMode, options.ncharMapping);
  settings.emitText = options.terminator.c_str();
  settings.trackLines = options.lineMarkers ? 1 : 0;
  settings.allowMultiplePrograms = options.allowMultiple ? 1 : 0;
  settings.parserTrace = options.traceParser ? 1 : 0;

  DebugViews views;
  views.tokens = options.printTokens;
  views.tree = options.printTree;
  views.sink = collectView;
  views.arg = &outcome.view;
  const bool viewing = views.tokens || views.tree;

  XcompResult* results = nullptr;
  CompileError* errors = nullptr;
  compileStatementWithViews(utf8Text.c_str(), &results, &errors, &settings, viewing ? &views : nullptr);

  const bool convert = needsConversion(options.codePage);
  if (errors != nullptr) {
    outcome.compileError = true;
    mapErrorToSqlca(errors, &outcome.sqlca, convert, options.codePage);
  } else if (results == nullptr && !viewing) {
    setSqlcaFailure(&outcome.sqlca, -901, "58004", "Unexpected PL/SQL", 788);
  } else {
    outcome.ok = true;
  }
  // Copy what we print out of the pool before it is released.
  for (const CompileError* e = errors; e != nullptr; e = e->next) {
    outcome.errors.push_back(
        {copyText(e->message), copyText(e->nearText), copyText(e->detail), copyText(e->extra), e->domain, e->line});
  }
  for (const XcompResult* r = results; r != nullptr; r = r->next) {
    std::string text(r->text, r->length);
    if (convert && !convertText(text, 1208, options.codePage, &text)) {
      outcome.ok = false;
      setSqlcaFailure(&outcome.sqlca, -901, "58004", "failed cpcv", 579);
    }
    outcome.results.emplace_back(r->domain, text);
  }
  if (options.execute.enabled && outcome.ok && !viewing) {
    outcome.sqlca = executeRequest(options.execute, results, callerText, options.codePage);
    outcome.executed = true;
    outcome.ok = outcome.sqlca.sqlcode >= 0;
  }
  if (options.dump) {
    appendDumpRecord(options.codePage, options.stringUnits, options.compatMode, options.ncharMapping, utf8Text.c_str(),
                     results, errors, errors != nullptr ? &outcome.sqlca : nullptr);
  }
  releaseCompilation(&results, &errors);
  return outcome;
}

void jsonString(std::string& out, const char* s, size_t n) {
  out += '"';
  for (size_t i = 0; i < n; ++i) {
    const auto c = static_cast<unsigned char>(s[i]);
    switch (c) {
      case '"': out += "\\\""; continue;
      case '\\': out += "\\\\"; continue;
      case '\n': out += "\\n"; continue;
      case '\t': out += "\\t"; continue;
      case '\r': out += "\\r"; continue;
      default: break;
    }
    if (c < 0x20 || c == 0x7F) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", c);
      out += buf;
      continue;
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
      continue;
    }
    // Pass well-formed UTF-8 sequences through; any other byte becomes \u00XX of itself.
    size_t len = c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 && c <= 0xDF ? 2 : 0;
    if (c >= 0xF5) len = 0;
    bool valid = len > 0 && i + len <= n;
    for (size_t k = 1; valid && k < len; ++k) valid = (static_cast<unsigned char>(s[i + k]) & 0xC0) == 0x80;
    if (valid && len == 3) {
      const auto c1 = static_cast<unsigned char>(s[i + 1]);
      if ((c == 0xE0 && c1 < 0xA0) || (c == 0xED && c1 >= 0xA0)) valid = false;
    }
    if (valid && len == 4) {
      const auto c1 = static_cast<unsigned char>(s[i + 1]);
      if ((c == 0xF0 && c1 < 0x90) || (c == 0xF4 && c1 >= 0x90)) valid = false;
    }
    if (valid) {
      out.append(s + i, len);
      i += len - 1;
      continue;
    }
    char buf[8];
    std::snprintf(buf, sizeof buf, "\\u%04x", c);
    out += buf;
  }
  out += '"';
}

void jsonString(std::string& out, const char* s) {
  if (s == nullptr) {
    out += "null";
    return;
  }
  jsonString(out, s, std::strlen(s));
}

std::string jsonOutcome(const std::string& file, const Request& request, const Outcome& outcome) {
  std::string out = "{\"file\": ";
  jsonString(out, file.c_str());
  out += ", \"request\": " + std::to_string(request.number);
  out += ", \"firstLine\": " + std::to_string(request.firstLine);
  out += std::string(", \"ok\": ") + (outcome.ok ? "true" : "false");
  out += ", \"sqlcode\": " + std::to_string(outcome.sqlca.sqlcode);
  out += ", \"sqlstate\": ";
  jsonString(out, outcome.sqlca.sqlstate, 5);
  out += ", \"sqlerrmc\": [";
  if (outcome.sqlca.sqlcode != 0) {
    const char* m = outcome.sqlca.sqlerrmc;
    const size_t n = static_cast<size_t>(outcome.sqlca.sqlerrml);
    size_t start = 0;
    for (size_t i = 0; i <= n; ++i) {
      if (i < n && m[i] != '\xFF') continue;
      if (start > 0) out += ", ";
      jsonString(out, m + start, i - start);
      start = i + 1;
    }
  }
  out += "], \"errorLine\": ";
  out += outcome.compileError ? std::to_string(outcome.sqlca.sqlerrd[2]) : "null";
  out += ", \"errors\": [";
  bool first = true;
  for (const ErrorCopy& e : outcome.errors) {
    if (!first) out += ", ";
    first = false;
    out += "{\"message\": ";
    jsonString(out, textOf(e.message));
    out += ", \"domain\": ";
    jsonString(out, errorDomainKey(e.domain));
    out += ", \"line\": " + std::to_string(e.line);
    out += ", \"detail\": ";
    jsonString(out, textOf(e.detail));
    out += ", \"nearText\": ";
    jsonString(out, textOf(e.nearText));
    out += ", \"extra\": ";
    jsonString(out, textOf(e.extra));
    out += "}";
  }
  out += "], \"results\": [";
  first = true;
  for (const auto& [domain, text] : outcome.results) {
    if (!first) out += ", ";
    first = false;
    out += "{\"domain\": ";
    jsonString(out, statementDomainName(domain));
    out += ", \"text\": ";
    jsonString(out, text.data(), text.size());
    out += "}";
  }
  out += "]}\n";
  return out;
}

// FILE:LINE: error: MESSAGE, then the source line and what the parser met there.
void reportErrors(const std::string& file, const Request& request, const Outcome& outcome) {
  if (outcome.errors.empty()) {
    std::fprintf(stderr, "%s:%d: error: %.*s\n", file.c_str(), request.firstLine, outcome.sqlca.sqlerrml,
                 outcome.sqlca.sqlerrmc);
    return;
  }
  for (const ErrorCopy& e : outcome.errors) {
    const int line = e.line > 0 ? request.firstLine + e.line - 1 : request.firstLine;
    std::fprintf(stderr, "%s:%d: error: %s\n", file.c_str(), line, e.message ? e.message->c_str() : "error");
    if (e.nearText && !e.nearText->empty()) std::fprintf(stderr, "    %s\n", e.nearText->c_str());
    if (e.detail && !e.detail->empty()) std::fprintf(stderr, "    near: %s\n", e.detail->c_str());
    if (e.extra && !e.extra->empty()) std::fprintf(stderr, "    expecting: %s\n", e.extra->c_str());
  }
}

bool readAll(const std::string& file, std::string* text) {
  std::FILE* in = file == "-" ? stdin : std::fopen(file.c_str(), "rb");
  if (in == nullptr) return false;
  text->clear();
  char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0) text->append(buffer, n);
  const bool ok = !std::ferror(in);
  if (in != stdin) std::fclose(in);
  return ok;
}

char oneOf(const std::string& option, const std::string& value, const char* allowed) {
  if (value.size() != 1 || std::strchr(allowed, value[0]) == nullptr)
    usageError("invalid value '" + value + "' for " + option);
  return value[0];
}

Options parseOptions(int argc, char** argv) {
  Options options;
  bool onlyFiles = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) usageError("option " + arg + " needs a value");
      return argv[++i];
    };
    if (onlyFiles || arg == "-" || arg.empty() || arg[0] != '-') {
      options.files.push_back(arg);
    } else if (arg == "--") {
      onlyFiles = true;
    } else if (arg == "-o") {
      options.output = value();
    } else if (arg == "--terminator") {
      options.terminator = value();
    } else if (arg == "--no-line-markers") {
      options.lineMarkers = false;
    } else if (arg == "--codepage") {
      const std::string v = value();
      char* end = nullptr;
      const long cp = std::strtol(v.c_str(), &end, 10);
      if (end == v.c_str() || *end != '\0' || cp <= 0 || cp > 65535 || !hostKnowsCodepage(static_cast<uint16_t>(cp)))
        usageError("unknown code page '" + v + "'");
      options.codePage = static_cast<uint16_t>(cp);
    } else if (arg == "--string-units") {
      options.stringUnits = oneOf(arg, value(), "S4");
    } else if (arg == "--nchar-mapping") {
      options.ncharMapping = oneOf(arg, value(), "0123");
    } else if (arg == "--compat") {
      options.compatMode = oneOf(arg, value(), "012");
    } else if (arg == "--allow-multiple") {
      options.allowMultiple = true;
    } else if (arg == "--json") {
      options.json = true;
    } else if (arg == "--dump") {
      options.dump = true;
    } else if (arg == "--trace-parser") {
      options.traceParser = true;
    } else if (arg == "--print-tokens") {
      options.printTokens = true;
    } else if (arg == "--print-tree") {
      options.printTree = true;
    } else if (takeExecuteOption(arg, value, &options.execute)) {
    } else if (arg == "--help") {
      std::printf(usageText, executeUsage);
      std::exit(0);
    } else if (arg == "--version") {
      std::printf("xcomp %s\n", XCOMP_VERSION);
      std::exit(0);
    } else {
      usageError("unknown option '" + arg + "'");
    }
  }
  if (options.files.empty()) options.files.push_back("-");
  return options;
}

}  // namespace

int main(int argc, char** argv) {
  const Options options = parseOptions(argc, argv);
  std::FILE* out = stdout;
  if (!options.output.empty()) {
    out = std::fopen(options.output.c_str(), "wb");
    if (out == nullptr) {
      std::fprintf(stderr, "xcomp: cannot write '%s'\n", options.output.c_str());
      return 2;
    }
  }
  int status = 0;
  for (const std::string& file : options.files) {
    std::string script;
    if (!readAll(file, &script)) {
      std::fprintf(stderr, "xcomp: cannot read '%s'\n", file.c_str());
      status = 2;
      continue;
    }
    const std::string shownName = file == "-" ? "<stdin>" : file;
    for (const Request& request : splitRequests(script)) {
      std::string text = request.text;
      if (needsConversion(options.codePage) && !convertText(request.text, options.codePage, 1208, &text)) {
        std::fprintf(stderr, "%s:%d: error: failed cpcv\n", shownName.c_str(), request.firstLine);
        if (status == 0) status = 1;
        continue;
      }
      const Outcome outcome = compileRequest(options, text, request.text);
      if (options.json) {
        const std::string line = jsonOutcome(shownName, request, outcome);
        std::fwrite(line.data(), 1, line.size(), out);
      } else {
        std::fwrite(outcome.view.data(), 1, outcome.view.size(), out);
        // When a request has errors as well as statements, the errors win: a statement that lost part
        // of its source must not reach a script that feeds the engine. --json still shows both.
        if (outcome.ok) {
          for (const auto& result : outcome.results) {
            std::fwrite(result.second.data(), 1, result.second.size(), out);
            // A statement that ends without a newline (the single CALL form) must not run into the next.
            if (!result.second.empty() && result.second.back() != '\n') std::fputc('\n', out);
          }
        } else if (!outcome.executed) {
          reportErrors(shownName, request, outcome);
        }
        if (outcome.executed) reportExecution(shownName, request.firstLine, outcome.sqlca);
      }
      if (!outcome.ok && status == 0) status = 1;
    }
  }
  if (out != stdout) std::fclose(out);
  return status;
}
