// compile.cpp - the one place xcomp calls the compile driver. Each call has its own compilation and
// pool, so calls may run on several threads at once.
#include "compile.h"

#include "entry/entry.h"

namespace {

std::optional<std::string> copyText(const char* text) {
  if (text == nullptr) return std::nullopt;
  return std::string(text);
}

void collectView(void* arg, const char* text) { static_cast<std::string*>(arg)->append(text); }

}  // namespace

bool convertsInput(uint16_t codePage) { return needsConversion(codePage); }

bool convertText(const std::string& in, uint16_t from, uint16_t to, std::string* out) {
  std::string buffer(in.size() * 4 + 16, '\0');
  size_t left = 0;
  const uint32_t rc = convertCodepage(in.data(), in.size(), from, to, buffer.data(), buffer.size(), &left);
  if (rc != 0) return false;
  buffer.resize(buffer.size() - left);
  *out = std::move(buffer);
  return true;
}

Outcome compileRequest(const CompileSettings& options, const std::string& utf8Text) {
  Outcome outcome;
  clearSqlca(&outcome.sqlca);
  const bool convert = needsConversion(options.codePage);
  // Scripts are read into UTF-8; a single-byte session code page the library reads as it is gets its
  // own bytes.
  std::string sessionText;
  const bool byteWise = !convert && options.codePage != XCOMP_CODEPAGE_UTF8;
  if (byteWise && !convertText(utf8Text, XCOMP_CODEPAGE_UTF8, options.codePage, &sessionText)) {
    const std::string message =
        "the request holds a character that code page " + std::to_string(options.codePage) + " cannot write";
    outcome.errors.push_back({message, std::nullopt, std::nullopt, std::nullopt, 0, -1, 0});
    return outcome;
  }
  const std::string& text = byteWise ? sessionText : utf8Text;
  SessionSettings settings =
      sessionSettingsFor(options.codePage, options.stringUnits, options.compatMode, options.ncharMapping);
  settings.emitText = options.terminator.c_str();
  settings.trackLines = options.lineMarkers ? 1 : 0;
  settings.allowMultiplePrograms = options.allowMultiple ? 1 : 0;
  settings.parserTrace = options.traceParser ? 1 : 0;
  settings.extensions = options.extensions;

  DebugViews views;
  views.tokens = options.printTokens;
  views.tree = options.printTree;
  views.sink = collectView;
  views.arg = &outcome.view;
  const bool viewing = views.tokens || views.tree;

  XcompResult* results = nullptr;
  CompileError* errors = nullptr;
  CompileError* notes = nullptr;
  compileStatementWithViews(text.c_str(), &results, &errors, &settings, viewing ? &views : nullptr, &notes);

  outcome.compileError = errors != nullptr;
  // A debugging view stops the compilation before any statement is made.
  outcome.ok =
      (viewing && errors == nullptr) || reportCompilation(results, errors, convert, options.codePage, &outcome.sqlca);
  for (const CompileError* e = errors; e != nullptr; e = e->next) {
    outcome.errors.push_back({copyText(e->message), copyText(e->nearText), copyText(e->detail), copyText(e->extra),
                              e->domain, e->line, e->column});
  }
  for (const CompileError* n = notes; n != nullptr; n = n->next) {
    outcome.notes.push_back({copyText(n->message), copyText(n->nearText), copyText(n->detail), copyText(n->extra),
                             n->domain, n->line, n->column});
  }
  for (const XcompResult* r = results; r != nullptr; r = r->next) {
    std::string statement(r->text, r->length);
    if (convert) {
      std::string converted(statement.size() * 4 + 16, '\0');
      size_t length = 0;
      if (convertResult(r, options.codePage, converted.data(), converted.size(), &length, &outcome.sqlca)) {
        converted.resize(length);
        statement = std::move(converted);
      } else {
        outcome.ok = false;
      }
    }
    outcome.results.emplace_back(r->domain, std::move(statement));
  }
  if (options.execute.enabled && !options.execute.dryRun && outcome.ok && !viewing) {
    // The DROP PACKAGE fallback runs the request as the caller wrote it, in the session's code page.
    std::string callerText = text;
    if (!convert || convertText(text, XCOMP_CODEPAGE_UTF8, options.codePage, &callerText)) {
      ExecutionReport run = executeRequest(options.execute, results, callerText, options.codePage);
      outcome.sqlca = run.sqlca;
      outcome.diagnostic = std::move(run.diagnostic);
      outcome.executed = true;
      outcome.ok = outcome.sqlca.sqlcode >= 0;
    }
  }
  if (options.dump) {
    appendDumpRecord(options.codePage, options.stringUnits, options.compatMode, options.ncharMapping, text.c_str(),
                     results, errors, errors != nullptr ? &outcome.sqlca : nullptr);
  }
  releaseCompilation(&results, &errors);
  return outcome;
}
