// report_baseline.h - --baseline OLD/report.json: what changed since an earlier report of the same code
// base. Units are matched by file, kind and name (and, among units alike in all three, by their order
// in the file), so a unit that moves within its file is still the same unit.
#pragma once

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "report_units.h"

struct UnitRef {
  std::string file;
  std::string kind;
  std::string name;  // empty when the unit has none
  int line = 0;      // where it starts in the report that has it
};

struct ReportChanges {
  std::vector<UnitRef> fixed;      // rejected before, translated now
  std::vector<UnitRef> regressed;  // translated before, rejected now
  std::vector<UnitRef> added;      // not in the earlier report ("new")
  std::vector<UnitRef> gone;       // in the earlier report only
};

class BaselineComparison {
 public:
  // Reads the earlier report's units. False, with the reason in `problem`, when the file cannot be read
  // or is not a report.json of this tool.
  bool readEarlierReport(const std::string& path, std::string* problem);
  // One unit of this run, as written (its file as the report shows it).
  void add(const std::string& file, const ReportUnit& unit);
  // The changes, each list in the order of this run (gone: of the earlier report).
  ReportChanges changes() const;

 private:
  using Key = std::tuple<std::string, std::string, std::string, int>;  // file, kind, name, ordinal
  struct Seen {
    bool translated = false;
    int line = 0;
    size_t order = 0;
  };
  Key keyOf(const std::string& file, const std::string& kind, const std::string& name,
            std::map<std::tuple<std::string, std::string, std::string>, int>& counts);

  std::map<Key, Seen> before_;
  std::map<Key, Seen> now_;
  std::map<std::tuple<std::string, std::string, std::string>, int> countsBefore_;
  std::map<std::tuple<std::string, std::string, std::string>, int> countsNow_;
};
