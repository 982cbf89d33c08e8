// deploy.h - one xcomp --execute run over all its files, in order: the command's own connection on
// which plain SQL runs, what happens after a failure (WHENEVER SQLERROR, a lost data source), and the
// counts of the closing summary. Units run on connections of their own through the library.
#pragma once

#include <string>

#include "execute.h"
#include "script/whenever.h"

class Deployment {
 public:
  explicit Deployment(const ExecuteOptions& options) : options_(options) {}

  // Opens the command's connection (in a dry run too: it checks the data source). False, with a
  // message naming the data source and the driver's answer in *error, when it cannot be reached.
  bool connect(std::string* error);

  bool dryRun() const { return options_.dryRun; }
  // The run stopped: nothing more is run, and what is left is counted as skipped.
  bool stopped() const { return stopped_; }

  // Runs a plain statement on the command's connection and ends its unit of work: committed when it
  // succeeded (a failed commit is the statement's failure), rolled back when it did not.
  StatementReport runStatement(const std::string& text);

  // Ends the unit of work on the command's connection as an EXIT or WHENEVER asks (nothing in a dry run).
  void endWork(WorkEnd end);

  // An item that ran (or, in a dry run, would run) without failing.
  void succeeded();
  // An item that failed, with the SQLCA of its failure (a compile error's, the data source's when it
  // `ran`, clean for a failure of the script itself). Applies `action`, or stops the run when the data
  // source cannot be reached any more; returns what became of the run, as a note for the item, or
  // nothing when it goes on as before.
  std::string failed(const SqlErrorAction& action, const SQLCA& sqlca, bool ran);
  void skipped(int items) { skipped_ += items; }

  // The command's exit status, given the worst status of its files: what the EXIT that stopped the run
  // asks for, at least 1 when the data source was lost, else the files' own.
  int exitStatus(int filesStatus) const;

  // The closing line on standard error, and (for --json) the closing object.
  std::string summaryText() const;
  std::string summaryJson(int exitStatus, const std::string& error) const;

 private:
  const ExecuteOptions& options_;
  ScriptConnection connection_;
  std::string product_;
  bool connected_ = false;
  bool stopped_ = false;
  bool lostDataSource_ = false;
  bool exited_ = false;
  int exitStatus_ = 0;
  std::string stoppedBy_;
  int ran_ = 0;
  int failed_ = 0;
  int skipped_ = 0;
};
