// deploy.cpp - the run-wide state of xcomp --execute. Every item that succeeds is committed at once, so
// a run that stops leaves exactly the items before the failure in place and nothing of the failed one.
#include "deploy.h"

#include <algorithm>
#include <vector>

#include "output/json_output.h"
#include "script/sql_text.h"

namespace {

SQLCA cleanSqlca() {
  SQLCA sqlca;
  clearSqlca(&sqlca);
  return sqlca;
}

// COMMIT [WORK] or ROLLBACK [WORK] alone: the script ends its unit of work there. *commit says which.
bool endsWork(const std::string& text, bool* commit) {
  std::vector<std::string> words;
  size_t pos = 0;
  while (pos < text.size()) {
    const size_t start = text.find_first_not_of(" \t\r\n", pos);
    if (start == std::string::npos) break;
    size_t end = text.find_first_of(" \t\r\n", start);
    if (end == std::string::npos) end = text.size();
    words.push_back(upperAscii(std::string_view(text).substr(start, end - start)));
    pos = end;
  }
  if (words.empty() || words.size() > 2 || (words.size() == 2 && words[1] != "WORK")) return false;
  if (words[0] != "COMMIT" && words[0] != "ROLLBACK") return false;
  *commit = words[0] == "COMMIT";
  return true;
}

}  // namespace

bool Deployment::connect(std::string* error) {
  StatementReport failure{cleanSqlca(), {}};
  if (!connection_.open(options_.connectString.c_str(), &failure)) {
    *error = "cannot connect to " + options_.dataSource + ": " + executionMessage(failure.sqlca, failure.diagnostic);
    return false;
  }
  connected_ = true;
  product_ = connection_.product();
  return true;
}

StatementReport Deployment::runStatement(const std::string& text) {
  // A driver that tracks its connection's transaction (SQLite's does) loses step when the statement
  // COMMIT goes past it, and fails every commit after; ending the work through the driver's own call
  // does what the script says on any driver.
  bool commits = false;
  if (endsWork(text, &commits)) return connection_.endWork(commits);
  StatementReport report = connection_.run(text.data(), text.size());
  if (report.sqlca.sqlcode < 0) {
    connection_.endWork(false);
    return report;
  }
  StatementReport commit = connection_.endWork(true);
  return commit.sqlca.sqlcode < 0 ? commit : report;
}

void Deployment::endWork(WorkEnd end) {
  if (end == WorkEnd::none || options_.dryRun || !connected_) return;
  connection_.endWork(end == WorkEnd::commit);
}

void Deployment::succeeded() { ++ran_; }

std::string Deployment::failed(const SqlErrorAction& action, const SQLCA& sqlca, bool ran) {
  ++failed_;
  if (ran && isConnectionFailure(sqlca)) {
    stopped_ = true;
    lostDataSource_ = true;
    stoppedBy_ = "the data source cannot be reached";
    if (action.exit) {
      exited_ = true;
      exitStatus_ = exitStatusFor(action, sqlca.sqlcode);
    }
    return "the run stops here: " + options_.dataSource + " cannot be reached";
  }
  endWork(action.end);
  if (!action.exit) return {};
  stopped_ = true;
  exited_ = true;
  exitStatus_ = exitStatusFor(action, sqlca.sqlcode);
  stoppedBy_ = action.text;
  return "the run stops here, as " + action.text + " asks (exit status " + std::to_string(exitStatus_) + ")";
}

int Deployment::exitStatus(int filesStatus) const {
  if (exited_) return exitStatus_;
  if (lostDataSource_) return std::max(filesStatus, 1);
  return filesStatus;
}

std::string Deployment::summaryText() const {
  std::string out = "xcomp: ";
  if (options_.dryRun) {
    out += "dry run on " + options_.dataSource;
    if (!product_.empty()) out += " (" + product_ + ")";
    out += ": " + std::to_string(ran_) + (ran_ == 1 ? " item" : " items") + " would run, ";
  } else {
    out += options_.dataSource + ": " + std::to_string(ran_) + " ran, ";
  }
  out += std::to_string(failed_) + " failed, " + std::to_string(skipped_) + " skipped";
  if (stopped_) out += " (stopped: " + stoppedBy_ + ")";
  return out + "\n";
}

std::string Deployment::summaryJson(int exitStatus, const std::string& error) const {
  std::string out = "{\"summary\": {\"dataSource\": ";
  appendJsonString(out, options_.dataSource.data(), options_.dataSource.size());
  out += ", \"product\": ";
  if (product_.empty()) {
    out += "null";
  } else {
    appendJsonString(out, product_.data(), product_.size());
  }
  out += std::string(", \"dryRun\": ") + (options_.dryRun ? "true" : "false");
  out += ", \"ran\": " + std::to_string(options_.dryRun ? 0 : ran_);
  out += ", \"wouldRun\": " + std::to_string(options_.dryRun ? ran_ : 0);
  out += ", \"failed\": " + std::to_string(failed_);
  out += ", \"skipped\": " + std::to_string(skipped_);
  out += ", \"stoppedBy\": ";
  if (stopped_) {
    appendJsonString(out, stoppedBy_.data(), stoppedBy_.size());
  } else {
    out += "null";
  }
  out += ", \"error\": ";
  if (error.empty()) {
    out += "null";
  } else {
    appendJsonString(out, error.data(), error.size());
  }
  out += ", \"exitStatus\": " + std::to_string(exitStatus) + "}}\n";
  return out;
}
