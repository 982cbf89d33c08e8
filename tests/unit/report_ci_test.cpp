// What a CI pipeline reads from xcomp, with and without --report: the SARIF file (checked by
// Microsoft's SARIF validator when npm can install it), the JUnit file, and --fail-under's exit status.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "command_helpers.h"
#include "json_reader.h"

namespace {

namespace fs = std::filesystem;

CommandRun xcomp(const std::string& args) {
  return runCommand(std::string(XCOMP_BINARY_DIR) + "/xcomp " + args + " 2>&1");
}

// Three units of which one is rejected with two errors, in a folder; a binary file beside them.
void writeTree(const TempDir& dir) {
  dir.add(
      "src/hr/pay.sql",
      "CREATE OR REPLACE PROCEDURE pay (p_id NUMBER) IS\nBEGIN\n  UPDATE emp SET paid = 1 WHERE id = p_id;\nEND;\n/\n"
      "CREATE OR REPLACE TYPE BODY money_t AS\n  MEMBER FUNCTION total RETURN NUMBER IS BEGIN RETURN 1; "
      "END;\nEND;\n/\n");
  dir.add("src/hr/with space.pkb",
          "CREATE OR REPLACE PACKAGE BODY hr_api AS\n  e_null EXCEPTION;\n  PRAGMA EXCEPTION_INIT(e_null, -1400);\n"
          "  PROCEDURE p IS BEGIN NULL; END p;\nEND hr_api;\n/\n");
  dir.add("src/logo.sql", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
}

// The SARIF validator's path, installed on first use; empty when it cannot be.
std::string sarifValidator() {
  const std::string build = XCOMP_BINARY_DIR;
  const std::string tool = build + "/sarif-validator/node_modules/@microsoft/sarif-multitool-linux/Sarif.Multitool";
  if (!fs::exists(tool))
    runCommand("sh " + std::string(XCOMP_SOURCE_DIR) + "/scripts/install-sarif-validator.sh " + build + " 2>&1");
  return fs::exists(tool) ? tool : "";
}

TEST(CiOutputs, SarifAndJunitSayTheSameWithAndWithoutTheReport) {
  TempDir dir("xcomp-ci");
  writeTree(dir);
  const std::string src = dir.path("src");
  const CommandRun plain = xcomp("--sarif " + dir.path("a.sarif") + " --junit " + dir.path("a.xml") + " " + src +
                                 " > " + dir.path("out.sql"));
  EXPECT_EQ(plain.status, 1) << "a unit is rejected, a file refused: " << plain.out;
  const CommandRun report = xcomp("--report " + dir.path("r") + " --sarif " + dir.path("b.sarif") + " --junit " +
                                  dir.path("b.xml") + " " + src);
  EXPECT_EQ(report.status, 1) << report.out;
  EXPECT_EQ(readFile(dir.path("a.sarif")), readFile(dir.path("b.sarif")));
  EXPECT_EQ(readFile(dir.path("a.xml")), readFile(dir.path("b.xml")));

  const Json sarif = parseJson(readFile(dir.path("a.sarif")));
  EXPECT_EQ(sarif.at("version").get<std::string>(), "2.1.0");
  const Json& run = sarif.at("runs").at(0);
  const Json& rules = run.at("tool").at("driver").at("rules");
  std::set<std::string> ids;
  for (const Json& rule : rules) ids.insert(rule.at("id").get<std::string>());
  EXPECT_EQ(ids.size(), rules.size()) << "one rule per construct";
  // Every error of the rejected units and the file refused whole, each at its place in its file.
  const Json& results = run.at("results");
  ASSERT_EQ(results.size(), 3u);
  std::set<std::string> where;
  for (const Json& r : results) {
    const Json& location = r.at("locations").at(0).at("physicalLocation");
    std::string at = location.at("artifactLocation").at("uri").get<std::string>();
    if (location.contains("region")) at += ":" + std::to_string(location.at("region").at("startLine").get<long>());
    where.insert(
        at + " " +
        rules[static_cast<size_t>(r.at("ruleIndex").get<long>())].at("shortDescription").at("text").get<std::string>());
    EXPECT_EQ(rules[static_cast<size_t>(r.at("ruleIndex").get<long>())].at("id").get<std::string>(),
              r.at("ruleId").get<std::string>());
  }
  EXPECT_EQ(where, (std::set<std::string>{"hr/pay.sql:6 CREATE TYPE BODY",
                                          "hr/with%20space.pkb:3 EXCEPTION_INIT with error number -1400 (not in the "
                                          "error map)",
                                          "logo.sql file refused whole"}));

  // JUnit: a case per unit, a failure with the first error for the rejected ones.
  const std::string junit = readFile(dir.path("a.xml"));
  EXPECT_NE(junit.find("<testsuite name=\"hr/pay.sql\" tests=\"2\" failures=\"1\">"), std::string::npos) << junit;
  EXPECT_NE(junit.find("<testcase classname=\"hr/pay.sql\" name=\"procedure pay (line 1)\"/>"), std::string::npos);
  EXPECT_NE(junit.find("type=\"CREATE TYPE BODY\">hr/pay.sql:6:24: error: syntax error, unexpected BODY"),
            std::string::npos)
      << junit;
  EXPECT_NE(junit.find("<testsuite name=\"logo.sql\" tests=\"1\" failures=\"1\">"), std::string::npos);

  const std::string validator = sarifValidator();
  if (validator.empty())
    GTEST_SKIP() << "npm could not install Microsoft's SARIF validator: the SARIF file is unchecked";
  const CommandRun check =
      runCommand(validator + " validate " + dir.path("a.sarif") + " -o " + dir.path("check.json") + " 2>&1");
  ASSERT_EQ(check.status, 0) << check.out;
  const Json findings = parseJson(readFile(dir.path("check.json")));
  for (const Json& f : findings.at("runs").at(0).at("results")) {
    EXPECT_FALSE(f.contains("level") && f.at("level").get<std::string>() == "error")
        << f.at("ruleId").get<std::string>() << " " << check.out;
  }
}

TEST(CiOutputs, FailUnderDecidesTheExitStatusAndKeepsTheErrors) {
  TempDir dir("xcomp-ci");
  writeTree(dir);
  fs::remove(dir.path("src/logo.sql"));
  // One unit of three translates.
  const std::string src = dir.path("src");
  for (const std::string& mode : {std::string(), "--report " + dir.path("r") + " "}) {
    const CommandRun low = xcomp(mode + "--fail-under 33 " + src + " > /dev/null");
    EXPECT_EQ(low.status, 0) << mode << low.out;
    const CommandRun high = xcomp(mode + "--fail-under 34 " + src);
    EXPECT_EQ(high.status, 1) << mode;
    if (mode.empty()) {
      EXPECT_NE(high.out.find("error: syntax error, unexpected BODY"), std::string::npos) << high.out;
    }
  }
  EXPECT_EQ(xcomp("--fail-under 101 " + src).status, 2);
  EXPECT_EQ(xcomp("--fail-under most " + src).status, 2);
  EXPECT_EQ(xcomp("--sarif " + dir.path("no/such/dir/x.sarif") + " " + src).status, 2);
}

}  // namespace
