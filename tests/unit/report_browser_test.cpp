// report.html in a real browser: headless Chromium loads the page from the file system, runs its
// script, and the rendered document is checked against report.json (the headline numbers, one row per
// file, the chart's bars), once as it opens and once with a sorted, filtered view in its address.
// Chromium comes with `make test`'s set-up; as root without it, the test fails rather than skip.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "command_helpers.h"
#include "json_reader.h"

namespace {

namespace fs = std::filesystem;

const char* const chromium = "/usr/bin/chromium";

std::string run(const std::string& command, int* status) {
  CommandRun result = runCommand(command);
  *status = result.status;
  return std::move(result.out);
}

// The document after the page's script ran, as Chromium serializes it.
std::string renderedDom(const std::string& url, const std::string& profile) {
  int status = 0;
  const std::string dom = run(std::string("timeout 120 ") + chromium +
                                  " --headless --no-sandbox --disable-gpu --disable-quic --no-first-run"
                                  " --disable-background-networking --disable-component-update --disable-sync"
                                  " --user-data-dir=" +
                                  profile + " --virtual-time-budget=5000 --dump-dom '" + url + "' 2>/dev/null",
                              &status);
  EXPECT_EQ(status, 0) << "chromium failed on " << url;
  return dom;
}

std::string unescape(std::string text) {
  static const std::pair<const char*, const char*> references[] = {
      {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&#39;", "'"}, {"&amp;", "&"}};
  for (const auto& [from, to] : references) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + 1))
      text.replace(at, std::strlen(from), to);
  }
  return text;
}

// The text inside the element with this id (no markup inside it), thousands separators removed.
std::string textOf(const std::string& dom, const std::string& id) {
  const size_t at = dom.find("id=\"" + id + "\"");
  if (at == std::string::npos) return "<no element " + id + ">";
  const size_t start = dom.find('>', at) + 1;
  std::string text = dom.substr(start, dom.find('<', start) - start);
  text.erase(std::remove(text.begin(), text.end(), ','), text.end());
  return text;
}

using Attributes = std::map<std::string, std::string>;

// The attributes of every start tag that carries `marker` (e.g. class="file-row"), in document order.
std::vector<Attributes> tagsWith(const std::string& dom, const std::string& marker) {
  std::vector<Attributes> tags;
  static const std::regex attribute(R"re(([a-z-]+)(="([^"]*)")?)re");
  for (size_t at = dom.find(marker); at != std::string::npos; at = dom.find(marker, at + 1)) {
    const size_t start = dom.rfind('<', at);
    const size_t end = dom.find('>', at);
    const std::string tag = dom.substr(start + 1, end - start - 1);
    Attributes attributes;
    const std::string inside = tag.substr(tag.find(' '));
    for (std::sregex_iterator it(inside.begin(), inside.end(), attribute), last; it != last; ++it)
      attributes[(*it)[1]] = unescape((*it)[3]);
    tags.push_back(std::move(attributes));
  }
  return tags;
}

std::string percent(long part, long whole) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%.1f", whole == 0 ? 0.0 : 100.0 * static_cast<double>(part) / whole);
  return buffer;
}

// Units of every kind, rejected for different reasons in different numbers, beside files that are
// skipped, so that the chart has bars of several lengths.
void writeCodeBase(const TempDir& dir) {
  for (int i = 0; i < 6; ++i) {
    const std::string n = std::to_string(i);
    dir.add("src/proc/p" + n + ".prc", "CREATE OR REPLACE PROCEDURE p" + n + (i < 3 ? " AUTHID CURRENT_USER" : "") +
                                           " IS\nBEGIN\n  UPDATE t SET a = " + n + ";\nEND;\n/\n");
  }
  dir.add("src/pkg/stock.pks", "CREATE OR REPLACE PACKAGE stock AS\n  PROCEDURE move (p NUMBER);\nEND;\n/\n");
  dir.add("src/pkg/stock.pkb",
          "CREATE OR REPLACE PACKAGE BODY stock AS\n  PROCEDURE move (p NUMBER) IS\n  BEGIN\n"
          "    FORALL i IN 1 .. 3 SAVE EXCEPTIONS\n      DELETE FROM moves WHERE id = i;\n  END;\nEND;\n/\n");
  dir.add("src/types/money.tps", "CREATE TYPE money AS OBJECT (amount NUMBER);\n/\n");
  dir.add("src/types/money.tpb", "CREATE TYPE BODY money AS\nEND;\n/\n");
  dir.add("src/types/price.tpb", "CREATE TYPE BODY price AS\nEND;\n/\n");
  dir.add("src/install.sql",
          "SET ECHO OFF\nCREATE TABLE t (a NUMBER);\nBEGIN\n  p0;\nEND;\n/\nCREATE TRIGGER t_bi BEFORE INSERT ON t\n"
          "FOR EACH ROW\nBEGIN\n  :NEW.a := 1;\nEND;\n/\nDROP PACKAGE stock;\n");
  dir.add("src/images/logo.sql", std::string("GIF89a\0\0", 8));
  dir.add("src/ddl/tables.sql", "CREATE TABLE moves (id NUMBER);\n");
}

TEST(ReportBrowser, RenderedPageAgreesWithReportJson) {
  if (access(chromium, X_OK) != 0) {
    if (geteuid() == 0) FAIL() << chromium << " is missing: make test installs it (scripts/install-deps.sh)";
    GTEST_SKIP() << chromium << " is missing and cannot be installed without root";
  }
  TempDir dir("xcomp-browser");
  writeCodeBase(dir);
  int status = 0;
  const std::string xcomp = std::string(XCOMP_BINARY_DIR) + "/xcomp --report ";
  run(xcomp + dir.path("before") + " " + dir.path("src") + " 2>&1", &status);
  ASSERT_EQ(status, 1);
  // Since then, one type body went and a procedure came.
  fs::remove(dir.path("src/types/price.tpb"));
  dir.add("src/pkg/late.prc", "CREATE PROCEDURE late IS\nBEGIN\n  NULL;\nEND;\n/\n");
  run(xcomp + dir.path("out") + " -j 2 --baseline " + dir.path("before/report.json") + " " + dir.path("src") + " 2>&1",
      &status);
  ASSERT_EQ(status, 1);
  const Json report = parseJson(readFile(dir.path("out/report.json")));
  const Json& totals = report.at("totals");
  const Json& files = report.at("files");
  const Json& ranked = report.at("blockingConstructs").at("ranked");
  ASSERT_GE(ranked.size(), 3u);
  const std::string page = "file://" + dir.path("out/report.html");

  const std::string dom = renderedDom(page, dir.path("profile"));
  ASSERT_NE(dom.find("</html>"), std::string::npos) << dom.substr(0, 400);

  // The headline.
  const Json& units = totals.at("units");
  EXPECT_EQ(textOf(dom, "units-translated"), std::to_string(units.at("translated").get<long>()));
  EXPECT_EQ(textOf(dom, "units-total"), std::to_string(units.at("units").get<long>()));
  EXPECT_EQ(textOf(dom, "units-percent"), percent(units.at("translated").get<long>(), units.at("units").get<long>()));
  EXPECT_EQ(textOf(dom, "lines-translated"), std::to_string(units.at("linesTranslated").get<long>()));
  EXPECT_EQ(textOf(dom, "lines-total"), std::to_string(units.at("lines").get<long>()));
  EXPECT_EQ(textOf(dom, "lines-percent"),
            percent(units.at("linesTranslated").get<long>(), units.at("lines").get<long>()));
  EXPECT_EQ(textOf(dom, "units-rejected"), std::to_string(units.at("rejected").get<long>()));
  EXPECT_EQ(textOf(dom, "files-skipped"), std::to_string(totals.at("filesSkipped").get<long>()));
  EXPECT_EQ(textOf(dom, "construct-count"), std::to_string(ranked.size()));

  // A row for each file, in input order, saying what became of it; the script counted them.
  const std::vector<Attributes> rows = tagsWith(dom, "class=\"file-row\"");
  ASSERT_EQ(rows.size(), files.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    const Json& f = files.at(i);
    EXPECT_EQ(rows[i].at("data-path"), f.at("path").get<std::string>());
    EXPECT_EQ(rows[i].at("data-lines"), std::to_string(f.at("lines").get<long>()));
    EXPECT_EQ(rows[i].at("data-rejected"), std::to_string(f.at("rejected").get<long>()));
    const std::string outcome = f.at("status").get<std::string>() != "read" ? f.at("status").get<std::string>()
                                : f.at("rejected").get<long>() > 0          ? "rejected"
                                                                            : "translated";
    EXPECT_EQ(rows[i].at("data-outcome"), outcome) << f.at("path").get<std::string>();
    EXPECT_EQ(rows[i].count("hidden"), 0u);
  }
  EXPECT_EQ(textOf(dom, "file-count"), std::to_string(files.size()) + " of " + std::to_string(files.size()) + " files");

  // A bar for each ranked construct, in rank order, as long as its count.
  const std::vector<Attributes> bars = tagsWith(dom, "class=\"bar-row\"");
  ASSERT_EQ(bars.size(), std::min<size_t>(ranked.size(), 20));
  long widest = 0;
  for (const Json& f : ranked) widest = std::max(widest, f.at("anyError").get<long>());
  const std::vector<Attributes> fills = tagsWith(dom, "class=\"bar\"");
  ASSERT_EQ(fills.size(), bars.size());
  for (size_t i = 0; i < bars.size(); ++i) {
    EXPECT_EQ(bars[i].at("data-construct"), ranked.at(i).at("construct").get<std::string>());
    EXPECT_EQ(bars[i].at("data-first"), std::to_string(ranked.at(i).at("firstError").get<long>()));
    EXPECT_EQ(bars[i].at("data-any"), std::to_string(ranked.at(i).at("anyError").get<long>()));
    std::string style = fills[i].at("style");
    style.erase(std::remove_if(style.begin(), style.end(), [](char c) { return c == ' ' || c == ';'; }), style.end());
    EXPECT_EQ(style, "width:" + percent(ranked.at(i).at("firstError").get<long>(), widest) + "%");
  }
  EXPECT_EQ(ranked[0].at("construct").get<std::string>(), "AUTHID CURRENT_USER");
  EXPECT_EQ(ranked[0].at("firstError").get<long>(), 3);

  // The construct table: the lines each blocks and the units it frees alone and with those above it.
  const std::vector<Attributes> constructRows = tagsWith(dom, "data-cumulative=");
  ASSERT_EQ(constructRows.size(), ranked.size());
  for (size_t i = 0; i < ranked.size(); ++i) {
    EXPECT_EQ(constructRows[i].at("data-construct"), ranked.at(i).at("construct").get<std::string>());
    EXPECT_EQ(constructRows[i].at("data-lines"), std::to_string(ranked.at(i).at("linesBlocked").get<long>()));
    EXPECT_EQ(constructRows[i].at("data-alone"), std::to_string(ranked.at(i).at("unblockedAlone").get<long>()));
    EXPECT_EQ(constructRows[i].at("data-cumulative"),
              std::to_string(ranked.at(i).at("unblockedCumulative").get<long>()));
  }

  // A row per folder that holds units, named from the input.
  const Json& folders = totals.at("byFolder");
  const std::vector<Attributes> folderRows = tagsWith(dom, "data-folder=");
  ASSERT_EQ(folderRows.size(), folders.size());
  for (size_t i = 0; i < folders.size(); ++i) {
    EXPECT_EQ(folderRows[i].at("data-folder"), folders[i].at("folder").get<std::string>());
    EXPECT_EQ(folderRows[i].at("data-units"), std::to_string(folders[i].at("units").get<long>()));
    EXPECT_EQ(folderRows[i].at("data-translated"), std::to_string(folders[i].at("translated").get<long>()));
    EXPECT_EQ(folderRows[i].at("data-lines"), std::to_string(folders[i].at("lines").get<long>()));
  }
  EXPECT_EQ(folders[0].at("folder").get<std::string>(), ".");
  EXPECT_EQ(textOf(dom, "files-refused"), std::to_string(totals.at("filesRefused").get<long>()));
  EXPECT_EQ(totals.at("skippedByReason").at("binary").get<long>(), 1);

  // What changed since the earlier report.
  const Json& changes = report.at("changes");
  for (const char* list : {"fixed", "regressed", "new", "gone"})
    EXPECT_EQ(textOf(dom, std::string("changes-") + list), std::to_string(changes.at(list).size())) << list;
  ASSERT_EQ(changes.at("gone").size(), 1u);
  EXPECT_EQ(changes.at("gone").at(0).at("file").get<std::string>(), "types/price.tpb");
  ASSERT_EQ(changes.at("new").size(), 1u);
  EXPECT_EQ(changes.at("new").at(0).at("name").get<std::string>(), "late");

  // A view from the address: files with rejected units only, the longest first.
  const std::string view = renderedDom(page + "#sort=lines&order=desc&outcome=rejected", dir.path("profile2"));
  std::vector<std::pair<long, std::string>> expected;
  for (size_t i = 0; i < files.size(); ++i) {
    const Json& f = files.at(i);
    if (f.at("status").get<std::string>() == "read" && f.at("rejected").get<long>() > 0)
      expected.emplace_back(-f.at("lines").get<long>(), f.at("path").get<std::string>());
  }
  std::stable_sort(expected.begin(), expected.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<std::string> shown;
  const std::vector<Attributes> sorted = tagsWith(view, "class=\"file-row\"");
  ASSERT_EQ(sorted.size(), files.size());
  for (const Attributes& row : sorted) {
    if (row.count("hidden") == 0) shown.push_back(row.at("data-path"));
  }
  std::vector<std::string> wanted;
  for (const auto& entry : expected) wanted.push_back(entry.second);
  EXPECT_EQ(shown, wanted);
  EXPECT_EQ(textOf(view, "file-count"),
            std::to_string(wanted.size()) + " of " + std::to_string(files.size()) + " files");
  EXPECT_NE(view.find("data-sort=\"lines\" data-type=\"number\" aria-sort=\"descending\""), std::string::npos);
}

}  // namespace
