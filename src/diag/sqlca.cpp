// sqlca.cpp - how an outcome reaches the caller's SQL communication area. Compile errors carry the
// source line and an 'L' marker; syntax errors carry their three token texts joined by 0xFF bytes, which
// the engine splits to build its message.
#include "diag/diag.h"

#include <cstring>

#include "host/host.h"

namespace {

struct DomainRow {
  const char* name;
  bool wrapBeforeRun;
};

constexpr DomainRow domainRows[] = {
    {"SQLEXC_UNKNOWN", false},       {"SQLEXC_PROCEDURE", true},          {"SQLEXC_FUNCTION", true},
    {"SQLEXC_CREATE_MODULE", false}, {"SQLEXC_COMMENT_MODULE", false},    {"SQLEXC_ANONYMOUS_BLOCK", false},
    {"SQLEXC_DROP_PACKAGE", false},  {"SQLEXC_DROP_PACKAGE_BODY", false}, {"SQLEXC_TRIGGER", true},
    {"SQLEXC_TYPE", false},          {"SQLEXC_VARIABLE", false},          {"SQLEXC_CONDITION", false},
    {"SQLEXC_SQL_STMT", false},
};
constexpr uint32_t domainCount = sizeof(domainRows) / sizeof(domainRows[0]);

void copyMessage(SQLCA* sqlca, const char* message, size_t length) {
  if (length > 69) length = 69;
  std::memcpy(sqlca->sqlerrmc, message, length);
  sqlca->sqlerrmc[length] = '\0';
  sqlca->sqlerrml = static_cast<int16_t>(length);
}

void fixedState(SQLCA* sqlca, int32_t sqlcode, const char* sqlstate, int32_t failurePoint) {
  sqlca->sqlcode = sqlcode;
  std::memcpy(sqlca->sqlstate, sqlstate, 5);
  std::memcpy(sqlca->sqlerrp, "SQLEXC02", 8);
  sqlca->sqlerrd[4] = failurePoint;
}

// The three texts, each converted to the database code page into at most 22 bytes, separated by 0xFF;
// empty texts are left out with their separator. False when a conversion really failed.
bool convertedTokens(const CompileError* error, uint16_t codePage, char* out, size_t* outLength) {
  const char* texts[3] = {error->detail, error->nearText, error->extra};
  size_t length = 0;
  for (const char* text : texts) {
    if (text == nullptr || text[0] == '\0') continue;
    size_t left = 0;
    const uint32_t rc =
        hostConvertCodepage(text, std::strlen(text), XCOMP_CODEPAGE_UTF8, codePage, out + length, 22, &left);
    if (rc != 0 && !isTruncation(rc)) return false;
    length += 22 - left;
    out[length++] = '\xFF';
  }
  // The last separator becomes the end of the text.
  if (length > 0) --length;
  out[length] = '\0';
  *outLength = length;
  return true;
}

void syntaxTokens(const CompileError* error, SQLCA* sqlca, bool convert, uint16_t codePage) {
  char buffer[3 * 23 + 1];
  size_t length = 0;
  if (convert && convertedTokens(error, codePage, buffer, &length)) {
    copyMessage(sqlca, buffer, length);
    return;
  }
  char plain[70];
  const int written = hostSnprintf(plain, sizeof plain, "%s\xFF%s\xFF%s", error->detail ? error->detail : "",
                                   error->nearText ? error->nearText : "", error->extra ? error->extra : "");
  copyMessage(sqlca, plain, static_cast<size_t>(written));
}

}  // namespace

bool needsConversion(uint16_t codePage) {
  return codePage != XCOMP_CODEPAGE_UTF8 && codePage != 1252 && codePage != 850 && codePage != 819;
}

SessionSettings sessionSettingsFor(uint16_t codePage, char stringUnits, char compatMode, char ncharMapping) {
  SessionSettings settings = defaultSessionSettings();
  settings.emitText = "";
  settings.trackLines = 1;
  settings.typeMap = codePage == XCOMP_CODEPAGE_UTF8 ? nullptr : nonUnicodeTypeMap;
  settings.ncharMapping = static_cast<uint16_t>(static_cast<unsigned char>(ncharMapping));
  settings.stringUnits = static_cast<uint16_t>(static_cast<unsigned char>(stringUnits));
  settings.compatMode = static_cast<uint16_t>(static_cast<unsigned char>(compatMode));
  return settings;
}

bool isTruncation(uint32_t code) { return code == HOST_CONVERT_TRUNCATED || code == HOST_CONVERT_TRUNCATED_CHAR; }

uint32_t convertCodepage(const char* source, size_t length, uint16_t fromCodePage, uint16_t toCodePage,
                         char* destination, size_t capacity, size_t* left) {
  return hostConvertCodepage(source, length, fromCodePage, toCodePage, destination, capacity, left);
}

void clearSqlca(SQLCA* sqlca) {
  std::memset(sqlca, 0, sizeof *sqlca);
  std::memcpy(sqlca->sqlcaid, "SQLCA   ", 8);
  std::memcpy(sqlca->sqlstate, "00000", 5);
}

void setSqlcaFailure(SQLCA* sqlca, int32_t sqlcode, const char* sqlstate, const char* message,
                     FailurePoint failurePoint) {
  fixedState(sqlca, sqlcode, sqlstate, failurePoint);
  copyMessage(sqlca, message, std::strlen(message));
}

void setConversionFailure(SQLCA* sqlca, FailurePoint failurePoint) {
  setSqlcaFailure(sqlca, conversionFailure, failurePoint);
}

void setSqlcaFailure(SQLCA* sqlca, const FailureRow& row, FailurePoint failurePoint) {
  setSqlcaFailure(sqlca, row.sqlcode, row.sqlstate, row.message, failurePoint);
}

void mapErrorToSqlca(const CompileError* error, SQLCA* sqlca, bool convert, uint16_t codePage) {
  sqlca->sqlcaid[5] = 'L';
  sqlca->sqlerrd[2] = error->line;
  switch (error->domain) {
    case syntax:
      fixedState(sqlca, -104, "42601", pointSyntax);
      syntaxTokens(error, sqlca, convert, codePage);
      return;
    case lexical: {
      fixedState(sqlca, -103, "42604", pointLexical);
      const char* detail = error->detail != nullptr ? error->detail : "";
      copyMessage(sqlca, detail, std::strlen(detail));
      return;
    }
    case unsupportedFeature:
      setSqlcaFailure(sqlca, -142, "42601", "Unsupported PL/SQL statement", pointUnsupported);
      return;
    case outOfMemory: setSqlcaFailure(sqlca, -10003, "57011", "Out of memory", pointOutOfMemory); return;
    case statementTooBig: setSqlcaFailure(sqlca, -101, "54001", "Statement too big", pointStatementTooBig); return;
    default: setSqlcaFailure(sqlca, systemFailure, pointInternal); return;
  }
}

const char* statementDomainName(uint32_t domain) {
  return domain < domainCount ? domainRows[domain].name : "UNEXPECTED DOMAIN";
}

bool statementDomainWrapsBeforeRun(uint32_t domain) { return domain < domainCount && domainRows[domain].wrapBeforeRun; }

bool hostKnowsCodepage(uint16_t codePage) { return hostCodepageName(codePage) != nullptr; }
