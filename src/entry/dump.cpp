// dump.cpp - the diagnostic dump's format. Records of concurrent requests may interleave: each request
// opens the file for appending and closes it again, and nothing is locked.
#include "entry/dump.h"

#include <cstring>

#include "entry/entry.h"

namespace {

const char* stringUnitsName(char value) {
  switch (value) {
    case 'S': return "SYSTEM";
    case '4': return "CODEUNITS32";
    default: return "ERROR";
  }
}

const char* compatModeName(char value) {
  switch (value) {
    case '0': return "NUV";
    case '1': return "QPX";
    case '2': return "ORA";
    default: return "ERROR";
  }
}

const char* ncharMappingName(char value) {
  switch (value) {
    case '0': return "NOT_APPLICABLE";
    case '1': return "GRAPHIC_CU16";
    case '2': return "GRAPHIC_CU32";
    case '3': return "CHAR_CU32";
    default: return "ERROR";
  }
}

}  // namespace

bool dumpFilePath(char* buffer, size_t size) {
  char* end = hostInstancePath(buffer, size);
  if (end == nullptr) return false;
  const size_t left = size - static_cast<size_t>(end - buffer);
  const int written = std::snprintf(end, left, "%cnuvdump%cXCdump.txt", HOST_PATH_SEPARATOR, HOST_PATH_SEPARATOR);
  // A cut suffix would name whatever file the shorter path names, and the record would go there.
  return written >= 0 && static_cast<size_t>(written) < left;
}

bool DumpFile::open() {
  char path[4096];
  if (!dumpFilePath(path, sizeof path)) return false;
  file_ = std::fopen(path, "a");
  return file_ != nullptr;
}

void DumpFile::close() {
  if (file_ == nullptr) return;
  std::fclose(file_);
  file_ = nullptr;
}

void DumpFile::writeHeader(const HostStaticData& session, const char* input) {
  if (file_ == nullptr) return;
  std::fprintf(file_, "\n##########################################\n");
  std::fprintf(file_, "DB Code Page %d\n", session.codePage);
  std::fprintf(file_, "Default string units value for this session: %s\n", stringUnitsName(session.stringUnits));
  std::fprintf(file_, "Default SQL Compatibility mode for this session: %s\n", compatModeName(session.compatMode));
  std::fprintf(file_, "NCHAR_MAPPING %s\n\n", ncharMappingName(session.ncharMapping));
  std::fprintf(file_, "##########################################\n## INPUT STATEMENT:\n%s\n\n", input);
}

void DumpFile::writeError(const SQLCA& sqlca, const CompileError& error) {
  if (file_ == nullptr) return;
  char tokens[71];
  std::memcpy(tokens, sqlca.sqlerrmc, 70);
  tokens[70] = '\0';
  std::fprintf(file_, "## ERROR REPORTED BY XCOMPILER:\nSQLCODE:%d\nLINE NUMBER:%d\nTOKENS:%s\n", sqlca.sqlcode,
               error.line, tokens);
}

void DumpFile::writeResults(const XcompResult* results) {
  if (file_ == nullptr) return;
  std::fprintf(file_, "## GENERATED STATEMENTS:\n");
  for (const XcompResult* result = results; result != nullptr; result = result->next) {
    const char* name = statementDomainName(result->domain);
    if (result->domain >= 13) std::fprintf(file_, "\n UNEXPECTED RESULT DOMAIN: %d", static_cast<int>(result->domain));
    std::fprintf(file_, "## STATEMENT DOMAIN: %s ##\n%.*s\n", name, static_cast<int>(result->length), result->text);
  }
}

bool appendDumpRecord(uint16_t codePage, char stringUnits, char compatMode, char ncharMapping, const char* input,
                      const XcompResult* results, const CompileError* error, const SQLCA* sqlca) {
  DumpFile dump;
  if (!dump.open()) return false;
  dump.writeHeader(HostStaticData{codePage, stringUnits, compatMode, ncharMapping, {}}, input);
  if (error != nullptr && sqlca != nullptr) {
    dump.writeError(*sqlca, *error);
  } else if (results != nullptr) {
    dump.writeResults(results);
  }
  return true;
}
