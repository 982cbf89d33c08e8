// report_csv.cpp - units.csv rows. Fields are quoted only when they must be (RFC 4180), so a plain
// path or name reads as itself in any tool.
#include "report_csv.h"

namespace {

void appendField(std::string& out, const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) {
    out += text;
    return;
  }
  out += '"';
  for (const char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
}

}  // namespace

const char* const unitsCsvHeader = "file,line,kind,name,outcome,construct,lines\r\n";

std::string unitCsvRow(const std::string& file, const ReportUnit& unit) {
  std::string out;
  appendField(out, file);
  out += ',' + std::to_string(unit.firstLine) + ',';
  appendField(out, unit.kind);
  out += ',';
  appendField(out, unit.name);
  out += unit.translated ? ",translated," : ",rejected,";
  if (!unit.errors.empty()) appendField(out, unit.errors.front().construct);
  out += ',' + std::to_string(unit.lines()) + "\r\n";
  return out;
}
