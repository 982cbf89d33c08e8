// json_output.cpp - JSON objects for --json. Keys keep their order, so the output can be compared.
#include "json_output.h"

#include <cstdio>
#include <cstring>

#include "entry/entry.h"
#include "report/constructs.h"
#include "report/request_report.h"

namespace {

void appendJson(std::string& out, const char* text) {
  if (text == nullptr) {
    out += "null";
    return;
  }
  appendJsonString(out, text, std::strlen(text));
}

void appendJson(std::string& out, const std::optional<std::string>& text) {
  appendJson(out, text ? text->c_str() : nullptr);
}

std::string number(int value) { return std::to_string(value); }

// An error of xcomp's own reading, at a line of an item that starts at file line `firstLine`.
void appendScriptError(std::string& out, const Diagnostic& d, int firstLine) {
  out += "{\"message\": ";
  appendJson(out, d.message.c_str());
  out += ", \"domain\": \"script\", \"line\": " + number(d.line > 0 ? d.line - firstLine + 1 : -1);
  out += ", \"fileLine\": " + (d.line > 0 ? number(d.line) : std::string("null"));
  out += ", \"column\": " + number(d.column);
  out += ", \"detail\": null, \"nearText\": ";
  appendJson(out, d.source.empty() ? nullptr : d.source.c_str());
  out += ", \"extra\": null, \"construct\": ";
  appendJson(out, constructOf(d).c_str());
  out += "}";
}

}  // namespace

void appendJsonString(std::string& out, const char* s, size_t n) {
  out += '"';
  for (size_t i = 0; i < n; ++i) {
    const auto c = static_cast<unsigned char>(s[i]);
    switch (c) {
      case '"': out += "\\\""; continue;
      case '\\': out += "\\\\"; continue;
      case '\n': out += "\\n"; continue;
      case '\t': out += "\\t"; continue;
      case '\r': out += "\\r"; continue;
      default: break;
    }
    if (c < 0x20 || c == 0x7F) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", c);
      out += buf;
      continue;
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
      continue;
    }
    size_t len = c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 && c <= 0xDF ? 2 : 0;
    if (c >= 0xF5) len = 0;
    bool valid = len > 0 && i + len <= n;
    for (size_t k = 1; valid && k < len; ++k) valid = (static_cast<unsigned char>(s[i + k]) & 0xC0) == 0x80;
    if (valid && len == 3) {
      const auto c1 = static_cast<unsigned char>(s[i + 1]);
      if ((c == 0xE0 && c1 < 0xA0) || (c == 0xED && c1 >= 0xA0)) valid = false;
    }
    if (valid && len == 4) {
      const auto c1 = static_cast<unsigned char>(s[i + 1]);
      if ((c == 0xF0 && c1 < 0x90) || (c == 0xF4 && c1 >= 0x90)) valid = false;
    }
    if (valid) {
      out.append(s + i, len);
      i += len - 1;
      continue;
    }
    char buf[8];
    std::snprintf(buf, sizeof buf, "\\u%04x", c);
    out += buf;
  }
  out += '"';
}

std::string jsonItem(const std::string& file, const JsonItem& entry) {
  const ScriptItem& item = *entry.item;
  const Outcome* outcome = entry.outcome;
  std::string out = "{\"file\": ";
  appendJson(out, file.c_str());
  out += ", \"request\": " + number(entry.number);
  out += ", \"kind\": ";
  appendJson(out, item.name.c_str());
  out += ", \"firstLine\": " + number(item.firstLine);
  out += ", \"lastLine\": " + number(item.lastLine);
  out += std::string(", \"ok\": ") + (entry.ok ? "true" : "false");
  if (outcome == nullptr) {
    out += ", \"sqlcode\": null, \"sqlstate\": null, \"sqlerrmc\": [], \"errorLine\": null";
  } else {
    out += ", \"sqlcode\": " + number(outcome->sqlca.sqlcode);
    out += ", \"sqlstate\": ";
    appendJsonString(out, outcome->sqlca.sqlstate, 5);
    out += ", \"sqlerrmc\": [";
    if (outcome->sqlca.sqlcode != 0) {
      // The tokens of a syntax error are joined by 0xFF bytes.
      const char* m = outcome->sqlca.sqlerrmc;
      const size_t n = static_cast<size_t>(outcome->sqlca.sqlerrml);
      size_t start = 0;
      for (size_t i = 0; i <= n; ++i) {
        if (i < n && m[i] != '\xFF') continue;
        if (start > 0) out += ", ";
        appendJsonString(out, m + start, i - start);
        start = i + 1;
      }
    }
    out += "], \"errorLine\": ";
    out += outcome->compileError ? number(outcome->sqlca.sqlerrd[2]) : "null";
  }
  out += ", \"errors\": [";
  bool first = true;
  auto separate = [&] {
    if (!first) out += ", ";
    first = false;
  };
  if (outcome != nullptr) {
    for (const ErrorCopy& e : outcome->errors) {
      separate();
      // The words stderr shows; the record's own text stays in sqlerrmc.
      out += "{\"message\": ";
      appendJson(out, friendlyMessage(e.message ? *e.message : "error", e.detail ? e.detail->c_str() : nullptr,
                                      e.extra ? e.extra->c_str() : nullptr)
                          .c_str());
      out += ", \"domain\": ";
      appendJson(out, errorDomainKey(e.domain));
      out += ", \"line\": " + number(e.line);
      const int fileLine = fileLineOf(item, e.line);
      out += ", \"fileLine\": " + (fileLine > 0 ? number(fileLine) : std::string("null"));
      out += ", \"column\": " + number(e.column);
      out += ", \"detail\": ";
      appendJson(out, e.detail);
      out += ", \"nearText\": ";
      appendJson(out, e.nearText);
      out += ", \"extra\": ";
      appendJson(out, e.extra);
      out += ", \"construct\": ";
      appendJson(out, constructOf(e, item.text).c_str());
      out += "}";
    }
  }
  if (outcome != nullptr && outcome->executed && outcome->sqlca.sqlcode < 0) {
    // The data source's answer: the driver's whole message where a record stands behind the SQLCA.
    const DriverDiagnostic& record = outcome->diagnostic;
    const SQLCA& sqlca = outcome->sqlca;
    separate();
    out += "{\"message\": ";
    if (record.sqlstate.empty()) {
      appendJsonString(out, sqlca.sqlerrmc, static_cast<size_t>(sqlca.sqlerrml > 0 ? sqlca.sqlerrml : 0));
    } else {
      appendJsonString(out, record.message.data(), record.message.size());
    }
    out += ", \"domain\": \"execute\", \"line\": null, \"fileLine\": " + number(item.firstLine);
    out += ", \"column\": 0, \"detail\": null, \"nearText\": null, \"extra\": null, \"construct\": null";
    out += ", \"sqlcode\": " + number(sqlca.sqlcode) + ", \"sqlstate\": ";
    appendJsonString(out, sqlca.sqlstate, 5);
    out += ", \"nativeError\": " + (record.sqlstate.empty() ? std::string("null") : number(record.nativeError)) + "}";
  }
  for (const Diagnostic& d : entry.scriptErrors) {
    separate();
    appendScriptError(out, d, item.firstLine);
  }
  auto remarks = [&](const char* key, const std::vector<Diagnostic>& list) {
    out += std::string("], \"") + key + "\": [";
    first = true;
    for (const Diagnostic& d : list) {
      separate();
      out += "{\"message\": ";
      appendJson(out, d.message.c_str());
      out += ", \"fileLine\": " + number(d.line) + ", \"column\": " + number(d.column) + "}";
    }
  };
  remarks("warnings", entry.warnings);
  if (!entry.notes.empty()) remarks("notes", entry.notes);
  out += "]";
  // A failed item writes nothing, so it has no results to show.
  if (!entry.ok) {
    out += "}\n";
    return out;
  }
  out += ", \"results\": [";
  first = true;
  if (outcome != nullptr) {
    for (const auto& [domain, text] : outcome->results) {
      separate();
      out += "{\"domain\": ";
      appendJson(out, statementDomainName(domain));
      out += ", \"text\": ";
      appendJsonString(out, text.data(), text.size());
      out += "}";
    }
  }
  if (entry.passedText != nullptr) {
    separate();
    out += "{\"domain\": null, \"text\": ";
    appendJsonString(out, entry.passedText->data(), entry.passedText->size());
    out += "}";
  }
  out += "]}\n";
  return out;
}

std::string jsonRefusedFile(const std::string& file, const Diagnostic& error) {
  std::string out = "{\"file\": ";
  appendJson(out, file.c_str());
  out += ", \"request\": null, \"kind\": \"file\", \"firstLine\": null, \"lastLine\": null, \"ok\": false";
  out += ", \"sqlcode\": null, \"sqlstate\": null, \"sqlerrmc\": [], \"errorLine\": null, \"errors\": [";
  appendScriptError(out, error, 1);
  out += "], \"warnings\": []}\n";
  return out;
}
