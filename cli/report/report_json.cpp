// report_json.cpp - report.json, written as files finish. Keys keep their order, so two reports of
// the same code base differ only in the run's time.
#include "report_json.h"

#include <cstdio>

#include "output/json_output.h"

const char* const blockingConstructExplanation =
    "A blocking construct is the PL/SQL construct an error is about, in its own words (CREATE TYPE BODY, "
    "EXCEPTION_INIT with error number -1400, a nested FUNCTION in a declaration section), found from the "
    "error and the source around it. An error that names no known construct keeps its message: for a syntax "
    "error the token the parser met, without the tokens it expected (they differ with the place); for other "
    "errors their message, quoted names left out. A rejected unit counts once under its first error's "
    "construct ('first error': what has to be solved first to translate it) and once under every construct "
    "among its errors ('any error'). Constructs are ranked by first error, then by any error.";

namespace {

void appendString(std::string& out, const std::string& text) { appendJsonString(out, text.data(), text.size()); }

void appendKey(std::string& out, const char* key) {
  appendJsonString(out, key, std::char_traits<char>::length(key));
  out += ": ";
}

std::string countsJson(const UnitCounts& c) {
  return "{\"units\": " + std::to_string(c.units) + ", \"translated\": " + std::to_string(c.translated) +
         ", \"rejected\": " + std::to_string(c.rejected()) + ", \"lines\": " + std::to_string(c.lines) +
         ", \"linesTranslated\": " + std::to_string(c.linesTranslated) + ", \"bytes\": " + std::to_string(c.bytes) +
         ", \"bytesTranslated\": " + std::to_string(c.bytesTranslated) + "}";
}

std::string lineOrNull(int line) { return line > 0 ? std::to_string(line) : "null"; }

}  // namespace

std::string unitJson(const std::string& file, const ReportUnit& unit) {
  std::string out = "{\"file\": ";
  appendString(out, file);
  out += ", \"firstLine\": " + std::to_string(unit.firstLine) + ", \"lastLine\": " + std::to_string(unit.lastLine);
  out += ", \"kind\": ";
  appendString(out, unit.kind);
  out += ", \"name\": ";
  if (unit.name.empty()) {
    out += "null";
  } else {
    appendString(out, unit.name);
  }
  out += ", \"bytes\": " + std::to_string(unit.bytes) + ", \"lines\": " + std::to_string(unit.lines());
  out += std::string(", \"outcome\": ") + (unit.translated ? "\"translated\"" : "\"rejected\"");
  if (!unit.translatesWith.empty()) {
    out += ", \"translatesWith\": [";
    for (size_t i = 0; i < unit.translatesWith.size(); ++i) {
      if (i > 0) out += ", ";
      appendString(out, unit.translatesWith[i]);
    }
    out += "]";
  }
  out += ", \"errors\": [";
  for (size_t i = 0; i < unit.errors.size(); ++i) {
    const ReportError& e = unit.errors[i];
    if (i > 0) out += ", ";
    out += "{\"domain\": ";
    appendString(out, e.domain);
    out += ", \"message\": ";
    appendString(out, e.message);
    out += ", \"detail\": ";
    if (e.detail) {
      appendString(out, *e.detail);
    } else {
      out += "null";
    }
    out += ", \"fileLine\": " + lineOrNull(e.fileLine) + ", \"column\": " + std::to_string(e.column);
    out += ", \"construct\": ";
    appendString(out, e.construct);
    out += "}";
  }
  out += "]}";
  return out;
}

std::string fileJson(const FileAnalysis& analysis) {
  const ReportFile& f = analysis.file;
  int translated = 0;
  for (const ReportUnit& unit : analysis.units) translated += unit.translated ? 1 : 0;
  const int units = static_cast<int>(analysis.units.size());
  std::string out = "{\"path\": ";
  appendString(out, f.path);
  out += ", \"status\": ";
  appendString(out, fileStatusName(f.status));
  out += ", \"reason\": ";
  if (f.reason.empty()) {
    out += "null";
  } else {
    appendString(out, f.reason);
  }
  out += ", \"bytes\": " + std::to_string(f.bytes) + ", \"lines\": " + std::to_string(f.lines);
  out += ", \"units\": " + std::to_string(units) + ", \"translated\": " + std::to_string(translated) +
         ", \"rejected\": " + std::to_string(units - translated);
  out += ", \"sqlStatements\": " + std::to_string(f.sqlStatements) +
         ", \"sqlplusCommands\": " + std::to_string(f.sqlplusCommands);
  out += ", \"problems\": [";
  for (size_t i = 0; i < f.problems.size(); ++i) {
    if (i > 0) out += ", ";
    out += "{\"line\": " + lineOrNull(f.problems[i].line) + ", \"message\": ";
    appendString(out, f.problems[i].message);
    out += "}";
  }
  out += "]}";
  return out;
}

std::string reportJsonHead(const ReportRun& run) {
  std::string out = "{\"tool\": \"xcomp\", \"version\": ";
  appendString(out, run.version);
  out += ", \"started\": ";
  appendString(out, run.started);
  out += ", \"inputs\": [";
  for (size_t i = 0; i < run.inputs.size(); ++i) {
    if (i > 0) out += ", ";
    appendString(out, run.inputs[i]);
  }
  out += "], \"options\": {\"jobs\": " + std::to_string(run.jobs) + ", \"codepage\": " + std::to_string(run.codePage) +
         ", \"raw\": " + (run.raw ? "true" : "false") + "},\n\"units\": [";
  return out;
}

std::string reportJsonTail(const ReportRun& run, const ReportTotals& totals, const ReportChanges* changes) {
  std::string out = ",\n\"totals\": {";
  appendKey(out, "files");
  out += std::to_string(totals.files()) +
         ", \"filesRead\": " + std::to_string(totals.files() - totals.filesSkipped() - totals.filesInterrupted()) +
         ", \"filesSkipped\": " + std::to_string(totals.filesSkipped()) +
         ", \"filesInterrupted\": " + std::to_string(totals.filesInterrupted()) +
         ", \"filesNotRead\": " + std::to_string(run.filesNotRead) +
         ", \"filesRefused\": " + std::to_string(totals.filesRefused());
  // Every reason, met or not, so a reader can count on the keys.
  out += ", \"skippedByReason\": {";
  for (const Refusal r : {Refusal::binary, Refusal::encoding, Refusal::unreadable, Refusal::tooLarge}) {
    if (r != Refusal::binary) out += ", ";
    appendKey(out, refusalName(r));
    const auto found = totals.skippedByReason().find(refusalName(r));
    out += std::to_string(found == totals.skippedByReason().end() ? 0 : found->second);
  }
  out += "}";
  out += ", \"sqlStatements\": " + std::to_string(totals.sqlStatements()) +
         ", \"sqlplusCommands\": " + std::to_string(totals.sqlplusCommands());
  out += ", \"units\": " + countsJson(totals.all());
  const UnitCounts& all = totals.all();
  out += ", \"byOutcome\": {\"translated\": {\"units\": " + std::to_string(all.translated) +
         ", \"lines\": " + std::to_string(all.linesTranslated) + ", \"bytes\": " + std::to_string(all.bytesTranslated) +
         "}, \"rejected\": {\"units\": " + std::to_string(all.rejected()) +
         ", \"lines\": " + std::to_string(all.lines - all.linesTranslated) +
         ", \"bytes\": " + std::to_string(all.bytes - all.bytesTranslated) + "}}";
  out += ", \"byKind\": [";
  bool first = true;
  for (const auto& [kind, counts] : totals.byKind()) {
    if (counts.units == 0) continue;
    if (!first) out += ", ";
    first = false;
    std::string entry = countsJson(counts);
    entry.erase(0, 1);
    out += "{\"kind\": ";
    appendString(out, kind);
    out += ", " + entry;
  }
  out += "], \"byFolder\": [";
  first = true;
  for (const auto& [folder, counts] : totals.byFolder()) {
    std::string entry = countsJson(counts);
    entry.erase(0, 1);
    out += first ? "\n  {\"folder\": " : ",\n  {\"folder\": ";
    first = false;
    appendString(out, folder);
    out += ", " + entry;
  }
  out += "]},\n\"blockingConstructs\": {\"explanation\": ";
  appendString(out, blockingConstructExplanation);
  out += ", \"ranked\": [";
  const std::vector<ConstructCount> ranked = totals.rankedConstructs();
  const std::vector<int> unblocked = totals.unblockedCumulative(ranked);
  const std::vector<int> alone = totals.unblockedAlone(ranked);
  for (size_t i = 0; i < ranked.size(); ++i) {
    const ConstructCount& f = ranked[i];
    if (i > 0) out += ",";
    out += "\n  {\"construct\": ";
    appendString(out, f.construct);
    out += ", \"domain\": ";
    appendString(out, f.domain);
    out += ", \"firstError\": " + std::to_string(f.firstError) + ", \"anyError\": " + std::to_string(f.anyError) +
           ", \"linesBlocked\": " + std::to_string(f.linesFirst) + ", \"unblockedAlone\": " + std::to_string(alone[i]) +
           ", \"unblockedCumulative\": " + std::to_string(unblocked[i]);
    out += ", \"example\": {\"file\": ";
    appendString(out, f.file);
    out += ", \"line\": " + lineOrNull(f.line) + ", \"detail\": ";
    if (f.detail) {
      appendString(out, *f.detail);
    } else {
      out += "null";
    }
    out += "}}";
  }
  out += "]}";
  if (!run.extensions.empty()) {
    // Only with --extend: the rest of the report is the engine's own translation, with or without it.
    out += ",\n\"extensions\": {\"asked\": [";
    for (size_t i = 0; i < run.extensions.size(); ++i) {
      if (i > 0) out += ", ";
      appendString(out, run.extensions[i]);
    }
    out += "], \"unitsTranslated\": " + std::to_string(totals.unitsTranslatedWithExtensions()) + ", \"byConstruct\": [";
    const std::vector<ReportTotals::ExtendedCount> extended = totals.translatedWithExtensions();
    for (size_t i = 0; i < extended.size(); ++i) {
      if (i > 0) out += ",";
      out += "\n  {\"construct\": ";
      appendString(out, extended[i].construct);
      out += ", \"extensions\": ";
      appendString(out, extended[i].extensions);
      out += ", \"units\": " + std::to_string(extended[i].units) + "}";
    }
    out += "]}";
  }
  if (changes != nullptr) {
    out += ",\n\"changes\": {\"baseline\": ";
    appendString(out, run.baseline);
    const std::pair<const char*, const std::vector<UnitRef>*> lists[] = {{"fixed", &changes->fixed},
                                                                         {"regressed", &changes->regressed},
                                                                         {"new", &changes->added},
                                                                         {"gone", &changes->gone}};
    for (const auto& [name, refs] : lists) {
      out += ", ";
      appendKey(out, name);
      out += "[";
      for (size_t i = 0; i < refs->size(); ++i) {
        const UnitRef& r = (*refs)[i];
        out += i == 0 ? "\n  {\"file\": " : ",\n  {\"file\": ";
        appendString(out, r.file);
        out += ", \"kind\": ";
        appendString(out, r.kind);
        out += ", \"name\": ";
        if (r.name.empty()) {
          out += "null";
        } else {
          appendString(out, r.name);
        }
        out += ", \"firstLine\": " + std::to_string(r.line) + "}";
      }
      out += "]";
    }
    out += "}";
  }
  char seconds[32];
  std::snprintf(seconds, sizeof seconds, "%.3f", run.seconds);
  out += ",\n\"complete\": " + std::string(run.interrupted ? "false" : "true") +
         ", \"interrupted\": " + (run.interrupted ? "true" : "false") + ", \"seconds\": " + seconds + "}\n";
  return out;
}
