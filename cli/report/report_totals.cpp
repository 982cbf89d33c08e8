// report_totals.cpp - adding a file's records to the report's totals.
#include "report_totals.h"

#include <algorithm>
#include <set>

void UnitCounts::add(const ReportUnit& unit) {
  ++units;
  const auto lineCount = static_cast<size_t>(unit.lines());
  lines += lineCount;
  bytes += unit.bytes;
  if (!unit.translated) return;
  ++translated;
  linesTranslated += lineCount;
  bytesTranslated += unit.bytes;
}

void ReportTotals::add(const FileAnalysis& analysis) {
  ++files_;
  if (analysis.file.status == FileStatus::skipped) ++filesSkipped_;
  if (analysis.file.status == FileStatus::interrupted) ++filesInterrupted_;
  if (const char* reason = refusalName(analysis.file.refusal)) {
    ++refused_[reason];
    ++filesRefused_;
  }
  const size_t slash = analysis.file.path.rfind('/');
  const std::string folder = slash == std::string::npos || slash == 0 ? "." : analysis.file.path.substr(0, slash);
  sqlStatements_ += analysis.file.sqlStatements;
  sqlplusCommands_ += analysis.file.sqlplusCommands;
  for (const ReportUnit& unit : analysis.units) {
    all_.add(unit);
    kinds_[unit.kind].add(unit);
    folders_[folder].add(unit);
    std::set<std::string> counted;
    for (const ReportError& error : unit.errors) {
      const bool first = &error == &unit.errors.front();
      if (!counted.insert(error.construct).second) continue;
      ConstructCount& count = constructs_[error.construct];
      if (count.anyError == 0) {
        count.construct = error.construct;
        count.domain = error.domain;
        count.file = analysis.file.path;
        count.line = error.fileLine;
        count.detail = error.detail;
      }
      ++count.anyError;
      if (!first) continue;
      ++count.firstError;
      count.linesFirst += static_cast<size_t>(unit.lines());
    }
    if (!counted.empty()) ++constructSets_[std::vector<std::string>(counted.begin(), counted.end())];
    if (!unit.translatesWith.empty() && !unit.errors.empty()) {
      std::string names;
      for (const std::string& name : unit.translatesWith) names += (names.empty() ? "" : "+") + name;
      ++extended_[{unit.errors.front().construct, names}];
      ++extendedUnits_;
    }
  }
}

std::vector<ReportTotals::ExtendedCount> ReportTotals::translatedWithExtensions() const {
  std::vector<ExtendedCount> out;
  for (const auto& [key, units] : extended_) out.push_back({key.first, key.second, units});
  std::stable_sort(out.begin(), out.end(),
                   [](const ExtendedCount& a, const ExtendedCount& b) { return a.units > b.units; });
  return out;
}

std::vector<int> ReportTotals::unblockedCumulative(const std::vector<ConstructCount>& ranked) const {
  std::map<std::string, size_t> rank;
  for (size_t i = 0; i < ranked.size(); ++i) rank[ranked[i].construct] = i;
  // A set of constructs is solved at the rank of its last construct.
  std::vector<int> out(ranked.size(), 0);
  for (const auto& [constructs, count] : constructSets_) {
    size_t last = 0;
    for (const std::string& construct : constructs) last = std::max(last, rank.at(construct));
    out[last] += count;
  }
  for (size_t i = 1; i < out.size(); ++i) out[i] += out[i - 1];
  return out;
}

std::vector<int> ReportTotals::unblockedAlone(const std::vector<ConstructCount>& ranked) const {
  std::vector<int> out;
  out.reserve(ranked.size());
  for (const ConstructCount& c : ranked) {
    const auto found = constructSets_.find({c.construct});
    out.push_back(found == constructSets_.end() ? 0 : found->second);
  }
  return out;
}

std::vector<std::pair<std::string, UnitCounts>> ReportTotals::byKind() const {
  std::vector<std::pair<std::string, UnitCounts>> out;
  for (const std::string& kind : reportKinds()) {
    const auto found = kinds_.find(kind);
    out.emplace_back(kind, found == kinds_.end() ? UnitCounts{} : found->second);
  }
  return out;
}

std::vector<ConstructCount> ReportTotals::rankedConstructs() const {
  std::vector<ConstructCount> out;
  out.reserve(constructs_.size());
  for (const auto& entry : constructs_) out.push_back(entry.second);
  std::stable_sort(out.begin(), out.end(), [](const ConstructCount& a, const ConstructCount& b) {
    if (a.firstError != b.firstError) return a.firstError > b.firstError;
    return a.anyError > b.anyError;
  });
  return out;
}
