// report_totals.h - the migration report's running totals: units, lines and bytes by kind and by
// outcome, files read and skipped, and the blocking constructs with the units they block. Added to one
// file at a time as the records stream to disk; what it holds grows with the number of kinds and
// distinct constructs, never with the code base.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "report_units.h"

struct UnitCounts {
  int units = 0;
  int translated = 0;
  size_t lines = 0;
  size_t linesTranslated = 0;
  size_t bytes = 0;
  size_t bytesTranslated = 0;
  int rejected() const { return units - translated; }
  void add(const ReportUnit& unit);
};

struct ConstructCount {
  std::string construct;
  std::string domain;     // of the first error counted
  int firstError = 0;     // units whose first error is this construct
  int anyError = 0;       // units with at least one error of this construct
  size_t linesFirst = 0;  // lines of the units whose first error is this construct
  std::string file;       // where it is first met
  int line = 0;
  std::optional<std::string> detail;  // the first error's detail there
};

class ReportTotals {
 public:
  void add(const FileAnalysis& analysis);

  const UnitCounts& all() const { return all_; }
  // Every kind of reportKinds(), in that order, counted or not.
  std::vector<std::pair<std::string, UnitCounts>> byKind() const;
  // By first error, then by any error, then by name: the construct that unblocks most units first.
  std::vector<ConstructCount> rankedConstructs() const;
  // For each ranked construct k (as rankedConstructs orders them), the rejected units all of whose errors
  // are among the first k+1 constructs: the units that would translate once those constructs do.
  std::vector<int> unblockedCumulative(const std::vector<ConstructCount>& ranked) const;
  // For each ranked construct, the rejected units whose errors are all of it: what it frees alone.
  std::vector<int> unblockedAlone(const std::vector<ConstructCount>& ranked) const;

  // Units by the folder of their file (its path as the report shows it, "." for none), in path order.
  const std::map<std::string, UnitCounts>& byFolder() const { return folders_; }
  // Files refused whole, by refusalName; only the reasons met.
  const std::map<std::string, int>& skippedByReason() const { return refused_; }
  int filesRefused() const { return filesRefused_; }

  // Rejected units that translate with the --extend set, by their first error's construct and the
  // extensions they used ("error-map+q-quotes"), most units first; and their number.
  struct ExtendedCount {
    std::string construct;
    std::string extensions;
    int units = 0;
  };
  std::vector<ExtendedCount> translatedWithExtensions() const;
  int unitsTranslatedWithExtensions() const { return extendedUnits_; }

  int files() const { return files_; }
  int filesSkipped() const { return filesSkipped_; }
  int filesInterrupted() const { return filesInterrupted_; }
  int sqlStatements() const { return sqlStatements_; }
  int sqlplusCommands() const { return sqlplusCommands_; }

 private:
  UnitCounts all_;
  std::map<std::string, UnitCounts> kinds_;
  std::map<std::string, UnitCounts> folders_;
  std::map<std::string, int> refused_;
  int filesRefused_ = 0;
  std::map<std::string, ConstructCount> constructs_;
  // Rejected units by the set of constructs among their errors (sorted): few sets, however many units.
  std::map<std::vector<std::string>, int> constructSets_;
  int files_ = 0;
  int filesSkipped_ = 0;
  int filesInterrupted_ = 0;
  int sqlStatements_ = 0;
  int sqlplusCommands_ = 0;
  std::map<std::pair<std::string, std::string>, int> extended_;
  int extendedUnits_ = 0;
};
