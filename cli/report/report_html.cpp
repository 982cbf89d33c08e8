// report_html.cpp - the report page. Everything a reader sees is in the HTML as written, so the page
// reads without its script; the script only sorts and filters the file table, from the page address's
// fragment (#sort=lines&order=desc&outcome=rejected), so a view can be bookmarked or sent.
#include "report_html.h"

#include <algorithm>
#include <tuple>

namespace {

const char* const pageStyle = R"(
:root { --ink: #1f2328; --muted: #656d76; --line: #d0d7de; --ok: #1a7f37; --bad: #cf222e; --skip: #9a6700;
        --bar: #cf222e; --bar-any: #ffcecb; --panel: #f6f8fa; }
* { box-sizing: border-box; }
body { margin: 0 auto; max-width: 1200px; padding: 24px; color: var(--ink);
       font: 14px/1.45 system-ui, -apple-system, "Segoe UI", Roboto, "Liberation Sans", sans-serif; }
h1 { font-size: 26px; margin: 0 0 4px; }
h2 { font-size: 19px; margin: 36px 0 8px; padding-bottom: 6px; border-bottom: 1px solid var(--line); }
.meta, .note { color: var(--muted); }
.note { max-width: 80ch; }
.banner { background: #fff8c5; border: 1px solid #d4a72c; padding: 10px 14px; border-radius: 6px; }
.cards { display: grid; grid-template-columns: repeat(auto-fit, minmax(220px, 1fr)); gap: 12px; margin-top: 18px; }
.card { background: var(--panel); border: 1px solid var(--line); border-radius: 8px; padding: 14px 16px; }
.card .big { font-size: 30px; font-weight: 600; }
.card .big.ok { color: var(--ok); }
.card .big.bad { color: var(--bad); }
.meter { grid-column: 1 / -1; height: 14px; border-radius: 7px; background: var(--bar-any); overflow: hidden; }
.meter div { height: 100%; background: var(--ok); }
.chart { margin-top: 12px; }
.bar-row { display: grid; grid-template-columns: minmax(200px, 38%) 1fr 110px; gap: 10px; align-items: center;
           padding: 3px 0; }
.bar-label { overflow: hidden; text-overflow: ellipsis; white-space: nowrap; }
.bar-track { position: relative; height: 18px; }
.bar-track div { position: absolute; left: 0; top: 0; bottom: 0; border-radius: 3px; }
.bar-any { background: var(--bar-any); }
.bar { background: var(--bar); }
.bar-count { font-variant-numeric: tabular-nums; }
.bar-count .any, .legend .any { color: var(--muted); }
.swatch { display: inline-block; width: 12px; height: 12px; border-radius: 2px; vertical-align: -1px; }
.swatch.first { background: var(--bar); }
.swatch.any { background: var(--bar-any); }
.summary { font-size: 16px; max-width: 90ch; }
table { border-collapse: collapse; width: 100%; margin-top: 8px; }
th, td { text-align: left; padding: 5px 8px; border-bottom: 1px solid var(--line); vertical-align: top; }
th { background: var(--panel); position: sticky; top: 0; }
td.num, th.num { text-align: right; font-variant-numeric: tabular-nums; }
th[data-sort] { cursor: pointer; user-select: none; }
th[aria-sort="ascending"]::after { content: " \25B2"; }
th[aria-sort="descending"]::after { content: " \25BC"; }
tr.file-row td:first-child { word-break: break-all; }
.outcome-translated { color: var(--ok); }
.outcome-rejected { color: var(--bad); }
.outcome-skipped, .outcome-interrupted { color: var(--skip); }
.controls { margin-top: 8px; display: flex; gap: 12px; align-items: center; }
.unit { margin: 14px 0; }
.unit-head { font-weight: 600; }
.unit-head .kind { color: var(--muted); font-weight: normal; }
pre { background: var(--panel); border: 1px solid var(--line); border-radius: 6px; padding: 10px; margin: 6px 0 0;
      overflow-x: auto; font: 12.5px/1.4 ui-monospace, "DejaVu Sans Mono", "Liberation Mono", monospace; }
details summary { cursor: pointer; color: var(--muted); margin-top: 10px; }
ol.errors { margin: 6px 0 0; padding-left: 22px; }
ol.errors .construct, .refused { color: var(--muted); }
)";

const char* const pageScript = R"(
(function () {
  var table = document.getElementById('file-table');
  var body = table.tBodies[0];
  var rows = Array.prototype.slice.call(body.rows);
  var headers = Array.prototype.slice.call(table.tHead.rows[0].cells);
  var filter = document.getElementById('outcome-filter');
  var counter = document.getElementById('file-count');
  function state() {
    var s = { sort: '', order: 'asc', outcome: 'all' };
    location.hash.replace(/^#/, '').split('&').forEach(function (part) {
      var kv = part.split('=');
      if (kv.length === 2 && Object.prototype.hasOwnProperty.call(s, kv[0])) s[kv[0]] = decodeURIComponent(kv[1]);
    });
    return s;
  }
  function show(s) {
    location.hash = 'sort=' + encodeURIComponent(s.sort) + '&order=' + s.order + '&outcome=' + encodeURIComponent(s.outcome);
  }
  function apply() {
    var s = state();
    filter.value = s.outcome;
    var numeric = false;
    headers.forEach(function (h) {
      var active = h.getAttribute('data-sort') === s.sort;
      if (active) numeric = h.getAttribute('data-type') === 'number';
      h.setAttribute('aria-sort', active ? (s.order === 'desc' ? 'descending' : 'ascending') : 'none');
    });
    var sorted = rows.slice();
    if (s.sort) {
      var sign = s.order === 'desc' ? -1 : 1;
      sorted.sort(function (a, b) {
        var x = a.getAttribute('data-' + s.sort), y = b.getAttribute('data-' + s.sort);
        var c = numeric ? Number(x) - Number(y) : (x < y ? -1 : x > y ? 1 : 0);
        return c * sign || Number(a.getAttribute('data-index')) - Number(b.getAttribute('data-index'));
      });
    }
    var shown = 0;
    sorted.forEach(function (row) {
      row.hidden = s.outcome !== 'all' && row.getAttribute('data-outcome') !== s.outcome;
      if (!row.hidden) shown++;
      body.appendChild(row);
    });
    counter.textContent = shown + ' of ' + rows.length + ' files';
  }
  headers.forEach(function (h) {
    if (!h.hasAttribute('data-sort')) return;
    h.addEventListener('click', function () {
      var s = state();
      var key = h.getAttribute('data-sort');
      s.order = s.sort === key ? (s.order === 'asc' ? 'desc' : 'asc') : (h.getAttribute('data-type') === 'number' ? 'desc' : 'asc');
      s.sort = key;
      show(s);
    });
  });
  filter.addEventListener('change', function () {
    var s = state();
    s.outcome = filter.value;
    show(s);
  });
  window.addEventListener('hashchange', apply);
  apply();
})();
)";

// 12345678 as "12,345,678".
std::string grouped(size_t n) {
  std::string digits = std::to_string(n);
  for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) digits.insert(static_cast<size_t>(at), ",");
  return digits;
}

std::string percent(size_t part, size_t whole) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%.1f", whole == 0 ? 0.0 : 100.0 * static_cast<double>(part) / whole);
  return buffer;
}

std::string counted(int n, const char* what) {
  return grouped(static_cast<size_t>(n)) + " " + what + (n == 1 ? "" : "s");
}

std::string span(const char* id, const std::string& text) {
  return "<span id=\"" + std::string(id) + "\">" + text + "</span>";
}

std::string fileOutcome(const ReportFile& file, int rejected) {
  if (file.status != FileStatus::read) return fileStatusName(file.status);
  return rejected > 0 ? "rejected" : "translated";
}

// With --extend only: what more the extensions would translate, by the construct that blocks it by default.
std::string extensionsSection(const ReportRun& run, const ReportTotals& totals) {
  if (run.extensions.empty()) return {};
  std::string asked;
  for (const std::string& name : run.extensions) asked += (asked.empty() ? "" : ", ") + name;
  const UnitCounts& all = totals.all();
  const int more = totals.unitsTranslatedWithExtensions();
  std::string out = "<section id=\"extensions\">\n<h2>With xcomp --extend</h2>\n<p>With " + htmlEscape(asked) + ", " +
                    span("extended-units", grouped(static_cast<size_t>(more))) + " more units translate (" +
                    percent(all.translated + more, all.units) +
                    " % in all). The engine's own translation, counted above, is the same with or without them.</p>\n";
  const std::vector<ReportTotals::ExtendedCount> extended = totals.translatedWithExtensions();
  if (extended.empty()) return out + "</section>\n";
  out +=
      "<table id=\"extension-table\"><thead><tr><th>Blocked by default by</th><th>Translates with</th>"
      "<th class=\"num\">Units</th></tr></thead><tbody>\n";
  for (const ReportTotals::ExtendedCount& e : extended) {
    out += "<tr><td>" + htmlEscape(e.construct) + "</td><td>" + htmlEscape(e.extensions) + "</td><td class=\"num\">" +
           grouped(static_cast<size_t>(e.units)) + "</td></tr>\n";
  }
  return out + "</tbody></table>\n</section>\n";
}

std::string headline(const ReportRun& run, const ReportTotals& totals) {
  const UnitCounts& all = totals.all();
  const int filesRead = totals.files() - totals.filesSkipped();
  std::string out = "<p class=\"summary\" id=\"summary\">";
  if (all.units == 0) {
    out += "No PL/SQL unit was found in the inputs.";
  } else {
    out += grouped(all.translated) + " of " + grouped(all.units) + " PL/SQL units (" +
           percent(all.translated, all.units) + " %) translate as they are.";
    const std::vector<ConstructCount> constructs = totals.rankedConstructs();
    if (!constructs.empty()) {
      const size_t top = std::min(constructs.size(), size_t{3});
      const std::vector<int> unblocked = totals.unblockedCumulative(constructs);
      out += " The construct that blocks most units first is <b>" + htmlEscape(constructs.front().construct) +
             "</b> (" + counted(constructs.front().firstError, "unit") + "). Once " +
             (top == 1 ? std::string("it translates, ")
                       : "the first " + std::to_string(top) + " constructs of the chart translate, ") +
             span("unblocked-by-top", grouped(static_cast<size_t>(unblocked[top - 1]))) + " more units would.";
    }
  }
  out += "</p>\n<section id=\"headline\" class=\"cards\">\n";
  out += "<div class=\"card\"><div class=\"big ok\">" + span("units-percent", percent(all.translated, all.units)) +
         " %</div>units translate: " + span("units-translated", grouped(all.translated)) + " of " +
         span("units-total", grouped(all.units)) + "</div>\n";
  out += "<div class=\"card\"><div class=\"big ok\">" + span("lines-percent", percent(all.linesTranslated, all.lines)) +
         " %</div>lines of PL/SQL translate: " + span("lines-translated", grouped(all.linesTranslated)) + " of " +
         span("lines-total", grouped(all.lines)) + "</div>\n";
  out += "<div class=\"card\"><div class=\"big bad\">" + span("units-rejected", grouped(all.rejected())) +
         "</div>units rejected, blocked by " + span("construct-count", grouped(totals.rankedConstructs().size())) +
         " constructs</div>\n";
  out += "<div class=\"card\"><div class=\"big\">" + span("files-read", grouped(filesRead)) + "</div>files read, " +
         span("files-skipped", grouped(totals.filesSkipped())) + " skipped";
  if (run.filesNotRead > 0) out += ", " + span("files-not-read", grouped(run.filesNotRead)) + " not reached";
  if (totals.filesRefused() > 0) {
    // Files refused whole hide code the unit counts cannot see: each reason is a task of its own.
    out += "<br><span id=\"files-refused\">" + grouped(static_cast<size_t>(totals.filesRefused())) +
           "</span> refused whole:";
    bool firstReason = true;
    for (const auto& [reason, count] : totals.skippedByReason()) {
      out += std::string(firstReason ? " " : ", ") + "<span class=\"refused\" data-reason=\"" + htmlEscape(reason) +
             "\">" + grouped(static_cast<size_t>(count)) + " " + htmlEscape(reason) + "</span>";
      firstReason = false;
    }
  }
  out += "<br>" + counted(totals.sqlStatements(), "SQL statement") + " and " +
         counted(totals.sqlplusCommands(), "SQL*Plus command") + " beside the units</div>\n";
  out += "<div class=\"meter\" title=\"units translated\"><div style=\"width:" + percent(all.translated, all.units) +
         "%\"></div></div>\n</section>\n";
  return out;
}

std::string constructChart(const ReportTotals& totals) {
  const std::vector<ConstructCount> constructs = totals.rankedConstructs();
  std::string out = "<section id=\"constructs\">\n<h2>What blocks the rest</h2>\n";
  if (constructs.empty()) return out + "<p>Nothing: every unit translates.</p>\n</section>\n";
  out += "<p class=\"note\">" + htmlEscape(blockingConstructExplanation) + "</p>\n";
  out +=
      "<p class=\"legend\"><span class=\"swatch first\"></span> units whose first error it is &nbsp; "
      "<span class=\"swatch any\"></span> units with any error of it</p>\n";
  int widest = 1;
  for (const ConstructCount& f : constructs) widest = std::max(widest, f.anyError);
  out += "<div class=\"chart\" id=\"construct-chart\">\n";
  for (size_t i = 0; i < constructs.size() && i < chartedConstructs; ++i) {
    const ConstructCount& f = constructs[i];
    const std::string label = htmlEscape(f.construct);
    out += "<div class=\"bar-row\" data-construct=\"" + label + "\" data-first=\"" + std::to_string(f.firstError) +
           "\" data-any=\"" + std::to_string(f.anyError) + "\"><div class=\"bar-label\" title=\"" + label + "\">" +
           label + "</div><div class=\"bar-track\"><div class=\"bar-any\" style=\"width:" +
           percent(static_cast<size_t>(f.anyError), static_cast<size_t>(widest)) +
           "%\"></div><div class=\"bar\" style=\"width:" +
           percent(static_cast<size_t>(f.firstError), static_cast<size_t>(widest)) +
           "%\"></div></div><div class=\"bar-count\">" + grouped(static_cast<size_t>(f.firstError)) +
           " <span class=\"any\">/ " + grouped(static_cast<size_t>(f.anyError)) + "</span></div></div>\n";
  }
  out += "</div>\n<details open><summary>All " + grouped(constructs.size()) +
         " constructs, with an example</summary>\n<table "
         "id=\"construct-table\"><thead><tr><th>Construct</th><th>Domain</th>"
         "<th class=\"num\">First error</th><th class=\"num\">Lines</th><th class=\"num\">Any error</th>"
         "<th class=\"num\">Units it frees alone</th><th class=\"num\">Units translating once this and those "
         "above do</th><th>First met</th></tr></thead><tbody>\n";
  const std::vector<int> unblocked = totals.unblockedCumulative(constructs);
  const std::vector<int> alone = totals.unblockedAlone(constructs);
  for (size_t i = 0; i < constructs.size(); ++i) {
    const ConstructCount& f = constructs[i];
    std::string where = f.file;
    if (f.line > 0) where += ":" + std::to_string(f.line);
    if (f.detail) where += " (" + *f.detail + ")";
    out += "<tr data-construct=\"" + htmlEscape(f.construct) + "\" data-lines=\"" + std::to_string(f.linesFirst) +
           "\" data-alone=\"" + std::to_string(alone[i]) + "\" data-cumulative=\"" + std::to_string(unblocked[i]) +
           "\"><td>" + htmlEscape(f.construct) + "</td><td>" + htmlEscape(f.domain) + "</td><td class=\"num\">" +
           grouped(static_cast<size_t>(f.firstError)) + "</td><td class=\"num\">" + grouped(f.linesFirst) +
           "</td><td class=\"num\">" + grouped(static_cast<size_t>(f.anyError)) + "</td><td class=\"num\">" +
           grouped(static_cast<size_t>(alone[i])) + "</td><td class=\"num\">" +
           grouped(static_cast<size_t>(unblocked[i])) + "</td><td>" + htmlEscape(where) + "</td></tr>\n";
  }
  return out + "</tbody></table></details>\n</section>\n";
}

// The head of a table of unit counts by kind or by folder, its first column named `column`.
std::string countTableHead(const char* section, const char* title, const char* table, const char* column) {
  return std::string("<section id=\"") + section + "\">\n<h2>" + title + "</h2>\n<table id=\"" + table +
         "\"><thead><tr><th>" + column +
         "</th><th class=\"num\">Units</th><th class=\"num\">Translated</th><th class=\"num\">Rejected</th>"
         "<th class=\"num\">% translated</th><th class=\"num\">Lines</th><th class=\"num\">Lines translated</th>"
         "</tr></thead><tbody>\n";
}

// A row's cells after its first: the counts, the share translated and the lines.
std::string countCells(const UnitCounts& c) {
  return "<td class=\"num\">" + grouped(static_cast<size_t>(c.units)) + "</td><td class=\"num\">" +
         grouped(static_cast<size_t>(c.translated)) + "</td><td class=\"num\">" +
         grouped(static_cast<size_t>(c.rejected())) + "</td><td class=\"num\">" +
         percent(static_cast<size_t>(c.translated), static_cast<size_t>(c.units)) + "</td><td class=\"num\">" +
         grouped(c.lines) + "</td><td class=\"num\">" + grouped(c.linesTranslated) + "</td></tr>\n";
}

std::string kindTable(const ReportTotals& totals) {
  std::string out = countTableHead("kinds", "By kind of unit", "kind-table", "Kind");
  for (const auto& [kind, c] : totals.byKind()) {
    if (c.units == 0) continue;
    out += "<tr data-kind=\"" + htmlEscape(kind) + "\"><td>" + htmlEscape(kind) + "</td>" + countCells(c);
  }
  return out + "</tbody></table>\n</section>\n";
}

// --baseline: what changed since the earlier report, each list of units in full.
std::string changesSection(const ReportRun& run, const ReportChanges& changes) {
  std::string out = "<section id=\"changes\">\n<h2>Since the earlier report</h2>\n<p class=\"note\">Compared with " +
                    htmlEscape(run.baseline) + "; units are matched by file, kind and name.</p>\n";
  const std::tuple<const char*, const char*, const std::vector<UnitRef>*> lists[] = {
      {"fixed", "translate now and were rejected", &changes.fixed},
      {"regressed", "are rejected now and translated", &changes.regressed},
      {"new", "are new", &changes.added},
      {"gone", "are gone", &changes.gone}};
  out += "<div class=\"cards\">\n";
  for (const auto& [id, what, refs] : lists) {
    out += "<div class=\"card\"><div class=\"big\">" +
           span((std::string("changes-") + id).c_str(), grouped(refs->size())) + "</div>units " + what + "</div>\n";
  }
  out += "</div>\n";
  for (const auto& [id, what, refs] : lists) {
    if (refs->empty()) continue;
    out += "<details><summary>" + grouped(refs->size()) + " units " + what +
           "</summary>\n<ul class=\"changes\" data-change=\"" + id + "\">";
    for (const UnitRef& r : *refs) {
      out += "<li>" + htmlEscape(r.kind) + " " + htmlEscape(r.name) + " <span class=\"meta\">in " + htmlEscape(r.file) +
             ", line " + std::to_string(r.line) + "</span></li>";
    }
    out += "</ul></details>\n";
  }
  return out + "</section>\n";
}

std::string folderTable(const ReportTotals& totals) {
  std::string out = countTableHead("folders", "By folder", "folder-table", "Folder");
  for (const auto& [folder, c] : totals.byFolder()) {
    out += "<tr data-folder=\"" + htmlEscape(folder) + "\" data-units=\"" + std::to_string(c.units) +
           "\" data-translated=\"" + std::to_string(c.translated) + "\" data-lines=\"" + std::to_string(c.lines) +
           "\"><td>" + htmlEscape(folder) + "</td>" + countCells(c);
  }
  return out + "</tbody></table>\n</section>\n";
}

}  // namespace

bool copyScratch(std::FILE* from, std::FILE* to) {
  if (std::fflush(from) != 0 || std::fseek(from, 0, SEEK_SET) != 0) return false;
  char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, from)) > 0) {
    if (std::fwrite(buffer, 1, n, to) != n) return false;
  }
  return std::ferror(from) == 0;
}

std::string htmlEscape(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string htmlFileRow(const FileAnalysis& analysis, long index, long firstRejected, const std::string& shown) {
  const ReportFile& f = analysis.file;
  int translated = 0;
  for (const ReportUnit& unit : analysis.units) translated += unit.translated ? 1 : 0;
  const int units = static_cast<int>(analysis.units.size());
  const int rejected = units - translated;
  const std::string outcome = fileOutcome(f, rejected);
  const std::string path = htmlEscape(f.path);
  std::string note = f.reason;
  for (const Diagnostic& d : f.problems) {
    if (!note.empty()) note += "; ";
    note += (d.line > 0 ? "line " + std::to_string(d.line) + ": " : std::string()) + d.message;
  }
  std::string out = "<tr class=\"file-row\" data-index=\"" + std::to_string(index) + "\" data-path=\"" + path +
                    "\" data-outcome=\"" + outcome + "\" data-units=\"" + std::to_string(units) +
                    "\" data-translated=\"" + std::to_string(translated) + "\" data-rejected=\"" +
                    std::to_string(rejected) + "\" data-lines=\"" + std::to_string(f.lines) + "\" data-bytes=\"" +
                    std::to_string(f.bytes) + "\"><td>";
  const std::string name = htmlEscape(shown);
  out += firstRejected >= 0 ? "<a href=\"#u" + std::to_string(firstRejected) + "\">" + name + "</a>" : name;
  out += "</td><td class=\"num\">" + grouped(static_cast<size_t>(units)) + "</td><td class=\"num\">" +
         grouped(static_cast<size_t>(translated)) + "</td><td class=\"num\">" + grouped(static_cast<size_t>(rejected)) +
         "</td><td class=\"num\">" + grouped(static_cast<size_t>(f.lines)) + "</td><td class=\"num\">" +
         grouped(f.bytes) + "</td><td class=\"outcome-" + outcome + "\">" + outcome + "</td><td>" + htmlEscape(note) +
         "</td></tr>\n";
  return out;
}

std::string htmlRejectedUnit(const std::string& file, const ReportUnit& unit, long number) {
  std::string out = "<div class=\"unit\" id=\"u" + std::to_string(number) + "\"><div class=\"unit-head\">";
  out += "<span class=\"kind\">" + htmlEscape(unit.kind) + "</span> ";
  if (!unit.name.empty()) out += htmlEscape(unit.name) + " ";
  out += "<span class=\"kind\">in " + htmlEscape(file) + ", lines " + std::to_string(unit.firstLine) + "-" +
         std::to_string(unit.lastLine);
  if (unit.errors.size() > 1) {
    const size_t more = unit.errors.size() - 1;
    out += ", " + grouped(more) + " more error" + (more == 1 ? "" : "s");
  }
  out += "</span></div>\n<pre>";
  if (unit.firstError) {
    out += htmlEscape(renderDiagnostic(file, *unit.firstError, false));
  } else if (!unit.errors.empty()) {
    out += htmlEscape(unit.errors.front().message);
  }
  out += "</pre>\n<ol class=\"errors\">";
  for (const ReportError& e : unit.errors) {
    out += "<li data-construct=\"" + htmlEscape(e.construct) + "\">";
    if (e.fileLine > 0)
      out += "line " + std::to_string(e.fileLine) + (e.column > 0 ? ":" + std::to_string(e.column) : "") + ": ";
    out += htmlEscape(e.message);
    if (e.construct != e.message) out += " <span class=\"construct\">(" + htmlEscape(e.construct) + ")</span>";
    out += "</li>";
  }
  out += "</ol></div>\n";
  return out;
}

bool writeHtmlPage(std::FILE* out, const ReportRun& run, const ReportTotals& totals, std::FILE* fileRows,
                   std::FILE* rejectedUnits, const ReportChanges* changes) {
  const UnitCounts& all = totals.all();
  std::string inputs;
  for (const std::string& input : run.inputs) inputs += (inputs.empty() ? "" : ", ") + input;
  char seconds[32];
  std::snprintf(seconds, sizeof seconds, "%.1f", run.seconds);
  std::string page =
      "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>Migration assessment: " +
      percent(all.translated, all.units) + " % of " + grouped(all.units) + " units translate</title>\n<style>" +
      pageStyle + "</style>\n</head>\n<body>\n<header>\n<h1>PL/SQL migration assessment</h1>\n<p class=\"meta\">" +
      htmlEscape(inputs) + " &middot; xcomp " + htmlEscape(run.version) + " &middot; " + htmlEscape(run.started) +
      " &middot; " + seconds + " s on " + std::to_string(run.jobs) + (run.jobs == 1 ? " thread" : " threads") +
      "</p>\n</header>\n";
  if (run.interrupted) {
    page +=
        "<p class=\"banner\" id=\"partial\">Partial report: the run was interrupted. It counts the units compiled "
        "before that";
    if (run.filesNotRead > 0) page += "; " + grouped(run.filesNotRead) + " files were not reached";
    page += ".</p>\n";
  }
  page += headline(run, totals) + (changes != nullptr ? changesSection(run, *changes) : std::string()) +
          constructChart(totals) + extensionsSection(run, totals) + kindTable(totals) + folderTable(totals);
  page +=
      "<section id=\"files\">\n<h2>Files</h2>\n<div class=\"controls\"><label>Show <select id=\"outcome-filter\">"
      "<option value=\"all\">all files</option><option value=\"translated\">translated</option>"
      "<option value=\"rejected\">with rejected units</option><option value=\"skipped\">skipped</option>"
      "<option value=\"interrupted\">interrupted</option></select></label> <span id=\"file-count\" "
      "class=\"meta\"></span></div>\n<table id=\"file-table\"><thead><tr>"
      "<th data-sort=\"path\" data-type=\"text\">File</th>"
      "<th class=\"num\" data-sort=\"units\" data-type=\"number\">Units</th>"
      "<th class=\"num\" data-sort=\"translated\" data-type=\"number\">Translated</th>"
      "<th class=\"num\" data-sort=\"rejected\" data-type=\"number\">Rejected</th>"
      "<th class=\"num\" data-sort=\"lines\" data-type=\"number\">Lines</th>"
      "<th class=\"num\" data-sort=\"bytes\" data-type=\"number\">Bytes</th>"
      "<th data-sort=\"outcome\" data-type=\"text\">Outcome</th><th>Note</th></tr></thead>\n<tbody>\n";
  if (std::fputs(page.c_str(), out) == EOF || !copyScratch(fileRows, out)) return false;
  page = "</tbody></table>\n</section>\n<section id=\"rejected\">\n<h2>Rejected units and their errors</h2>\n";
  if (all.rejected() == 0) page += "<p>None.</p>\n";
  if (std::fputs(page.c_str(), out) == EOF || !copyScratch(rejectedUnits, out)) return false;
  page = std::string("</section>\n<script>") + pageScript + "</script>\n</body>\n</html>\n";
  return std::fputs(page.c_str(), out) != EOF;
}
