// ci_outputs.h - what a CI pipeline reads from a run of xcomp, with or without --report: SARIF 2.1.0
// for code-scanning views (--sarif), JUnit XML for test dashboards (--junit), and the threshold of
// translated units that decides the exit status (--fail-under). Both files are written a file's units
// at a time, so they cost no memory beyond the rules met; they appear whole, by renaming, at the end.
#pragma once

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "report_units.h"

struct CiRequest {
  std::string sarif;      // --sarif FILE; empty when not asked
  std::string junit;      // --junit FILE; empty when not asked
  double failUnder = -1;  // --fail-under PCT; negative when not asked
  bool asked() const { return !sarif.empty() || !junit.empty() || failUnder >= 0; }
};

class CiOutputs {
 public:
  // Opens the files asked for; `version` is the tool's, for SARIF's driver.
  CiOutputs(const CiRequest& request, std::string version);
  ~CiOutputs();
  CiOutputs(const CiOutputs&) = delete;
  CiOutputs& operator=(const CiOutputs&) = delete;

  // False, with the reason, when a file asked for cannot be opened.
  bool open(std::string* problem);
  // One input's units, `file` named as the report names it (relative to its input). A file refused
  // whole is a failed test case of its own in JUnit and a result in SARIF.
  void add(const std::string& file, const std::vector<ReportUnit>& units, const std::string& refusal = {});
  // Closes and renames the files, then decides the exit status: with --fail-under, 0 when at least
  // PCT % of the units translate (every one when there are none) and 1 otherwise; without, `status`.
  // 2 when a file cannot be written (the message printed).
  int finish(int status);

  int units() const { return units_; }
  int translated() const { return translated_; }

 private:
  struct Closer {
    void operator()(std::FILE* f) const {
      if (f != nullptr) std::fclose(f);
    }
  };
  using File = std::unique_ptr<std::FILE, Closer>;
  // The rule of a construct, made at its first result: its index in the rules array.
  size_t ruleFor(const std::string& construct);
  void sarifResult(const std::string& file, const ReportError& error);

  CiRequest request_;
  std::string version_;
  File sarif_;
  File junit_;
  bool ok_ = true;
  long results_ = 0;
  std::vector<std::pair<std::string, std::string>> rules_;  // id and construct, in index order
  std::map<std::string, size_t> ruleIndex_;
  int units_ = 0;
  int translated_ = 0;
};

// `path` as a relative URI reference: unreserved bytes and '/' as they are, every other byte %XX.
std::string uriOfPath(const std::string& path);

// A stable rule id for a construct: lower-case letters and digits joined by '-' ("create-type-body").
std::string ruleIdOf(const std::string& construct);
