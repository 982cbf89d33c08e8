// ci_outputs.cpp - SARIF and JUnit written as files finish. SARIF's results come before its rules in
// the run object (JSON does not order keys), so each result goes out at once and only the rules, one
// per construct met, wait for the end.
#include "ci_outputs.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "output/json_output.h"
#include "report_html.h"

namespace fs = std::filesystem;

namespace {

void appendString(std::string& out, const std::string& text) { appendJsonString(out, text.data(), text.size()); }

// Text for XML attributes and content: escaped as the page escapes it, with the bytes XML 1.0 cannot hold
// (control characters) written as '?'.
std::string xmlEscape(const std::string& text) {
  std::string out = htmlEscape(text);
  for (char& c : out) {
    if (static_cast<unsigned char>(c) < 0x20 && c != '\n' && c != '\t') c = '?';
  }
  return out;
}

bool put(std::FILE* out, const std::string& text) {
  return std::fwrite(text.data(), 1, text.size(), out) == text.size();
}

std::string partOf(const std::string& path) { return path + ".part"; }

std::string unitTitle(const ReportUnit& unit) {
  std::string title = unit.kind;
  if (!unit.name.empty()) title += " " + unit.name;
  return title + " (line " + std::to_string(unit.firstLine) + ")";
}

}  // namespace

std::string uriOfPath(const std::string& path) {
  static const char hex[] = "0123456789ABCDEF";
  std::string out;
  for (const char ch : path) {
    const auto c = static_cast<unsigned char>(ch);
    const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                       c == '.' || c == '_' || c == '~' || c == '/';
    if (plain) {
      out += ch;
    } else {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

std::string ruleIdOf(const std::string& construct) {
  std::string id;
  bool gap = false;
  for (const char ch : construct) {
    const char c = ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch - 'A' + 'a') : ch;
    if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) {
      if (gap && !id.empty()) id += '-';
      id += c;
      gap = false;
    } else {
      gap = true;
    }
    if (id.size() >= 64) break;
  }
  return id.empty() ? "error" : id;
}

CiOutputs::CiOutputs(const CiRequest& request, std::string version) : request_(request), version_(std::move(version)) {}

CiOutputs::~CiOutputs() {
  // Not finished: nothing half written stays behind.
  std::error_code ignored;
  if (sarif_) {
    sarif_.reset();
    fs::remove(partOf(request_.sarif), ignored);
  }
  if (junit_) {
    junit_.reset();
    fs::remove(partOf(request_.junit), ignored);
  }
}

bool CiOutputs::open(std::string* problem) {
  if (!request_.sarif.empty()) {
    sarif_.reset(std::fopen(partOf(request_.sarif).c_str(), "wb"));
    if (!sarif_) {
      *problem = "cannot write '" + request_.sarif + "'";
      return false;
    }
    ok_ = put(sarif_.get(),
              "{\"$schema\": \"https://json.schemastore.org/sarif-2.1.0.json\", \"version\": \"2.1.0\",\n"
              "\"runs\": [{\"columnKind\": \"unicodeCodePoints\", \"results\": [") &&
          ok_;
  }
  if (!request_.junit.empty()) {
    junit_.reset(std::fopen(partOf(request_.junit).c_str(), "wb"));
    if (!junit_) {
      *problem = "cannot write '" + request_.junit + "'";
      return false;
    }
    ok_ = put(junit_.get(), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<testsuites name=\"xcomp\">\n") && ok_;
  }
  return true;
}

size_t CiOutputs::ruleFor(const std::string& construct) {
  const auto found = ruleIndex_.find(construct);
  if (found != ruleIndex_.end()) return found->second;
  std::string id = ruleIdOf(construct);
  // Two constructs that spell alike in letters and digits keep ids of their own.
  for (const auto& rule : rules_) {
    if (rule.first == id) id += "-" + std::to_string(rules_.size());
  }
  rules_.emplace_back(id, construct);
  ruleIndex_.emplace(construct, rules_.size() - 1);
  return rules_.size() - 1;
}

void CiOutputs::sarifResult(const std::string& file, const ReportError& error) {
  const size_t rule = ruleFor(error.construct);
  std::string out = results_++ == 0 ? "\n  {\"ruleId\": " : ",\n  {\"ruleId\": ";
  appendString(out, rules_[rule].first);
  out += ", \"ruleIndex\": " + std::to_string(rule) + ", \"level\": \"error\", \"message\": {\"text\": ";
  appendString(out, error.message);
  out += "}, \"locations\": [{\"physicalLocation\": {\"artifactLocation\": {\"uri\": ";
  appendString(out, uriOfPath(file));
  out += ", \"uriBaseId\": \"%SRCROOT%\"}";
  if (error.fileLine > 0) {
    out += ", \"region\": {\"startLine\": " + std::to_string(error.fileLine);
    if (error.column > 0) out += ", \"startColumn\": " + std::to_string(error.column);
    out += "}";
  }
  out += "}}]}";
  ok_ = put(sarif_.get(), out) && ok_;
}

void CiOutputs::add(const std::string& file, const std::vector<ReportUnit>& units, const std::string& refusal) {
  int failures = 0;
  for (const ReportUnit& unit : units) {
    ++units_;
    if (unit.translated) {
      ++translated_;
    } else {
      ++failures;
    }
    if (sarif_) {
      for (const ReportError& error : unit.errors) sarifResult(file, error);
    }
  }
  if (!refusal.empty() && sarif_) {
    ReportError whole;
    whole.message = refusal;
    whole.construct = "file refused whole";
    sarifResult(file, whole);
  }
  if (!junit_ || (units.empty() && refusal.empty())) return;
  const std::string suite = xmlEscape(file);
  const size_t tests = units.size() + (refusal.empty() ? 0 : 1);
  std::string out = "<testsuite name=\"" + suite + "\" tests=\"" + std::to_string(tests) + "\" failures=\"" +
                    std::to_string(failures + (refusal.empty() ? 0 : 1)) + "\">\n";
  if (!refusal.empty()) {
    out += "  <testcase classname=\"" + suite + "\" name=\"whole file\"><failure message=\"" + xmlEscape(refusal) +
           "\" type=\"file refused whole\"/></testcase>\n";
  }
  for (const ReportUnit& unit : units) {
    out += "  <testcase classname=\"" + suite + "\" name=\"" + xmlEscape(unitTitle(unit)) + "\"";
    if (unit.translated || unit.errors.empty()) {
      out += "/>\n";
      continue;
    }
    const ReportError& first = unit.errors.front();
    std::string where = file;
    if (first.fileLine > 0) where += ":" + std::to_string(first.fileLine);
    if (first.fileLine > 0 && first.column > 0) where += ":" + std::to_string(first.column);
    out += "><failure message=\"" + xmlEscape(first.message) + "\" type=\"" + xmlEscape(first.construct) + "\">" +
           xmlEscape(where + ": error: " + first.message) + "</failure></testcase>\n";
  }
  ok_ = put(junit_.get(), out + "</testsuite>\n") && ok_;
}

int CiOutputs::finish(int status) {
  bool written = ok_;
  if (sarif_) {
    std::string out = "],\n\"tool\": {\"driver\": {\"name\": \"xcomp\", \"version\": ";
    appendString(out, version_);
    out += ", \"rules\": [";
    for (size_t i = 0; i < rules_.size(); ++i) {
      out += i == 0 ? "\n  {\"id\": " : ",\n  {\"id\": ";
      appendString(out, rules_[i].first);
      out += ", \"shortDescription\": {\"text\": ";
      appendString(out, rules_[i].second);
      out += "}}";
    }
    out += "]}}}]}\n";
    written = put(sarif_.get(), out) && std::fflush(sarif_.get()) == 0 && written;
  }
  if (junit_) written = put(junit_.get(), "</testsuites>\n") && std::fflush(junit_.get()) == 0 && written;
  sarif_.reset();
  junit_.reset();
  std::error_code error;
  for (const std::string* path : {&request_.sarif, &request_.junit}) {
    if (path->empty()) continue;
    if (written) fs::rename(partOf(*path), *path, error);
    if (!written || error) {
      fs::remove(partOf(*path), error);
      std::fprintf(stderr, "xcomp: cannot write '%s'\n", path->c_str());
      return 2;
    }
  }
  if (request_.failUnder < 0 || status == 2 || status == 130) return status;
  const double share = units_ == 0 ? 100.0 : 100.0 * translated_ / units_;
  return share >= request_.failUnder ? 0 : 1;
}
