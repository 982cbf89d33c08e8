// dump.h - the diagnostic dump: one record per request appended to XCdump.txt in the instance's nuvdump
// directory, with the session header, the input and either the error or the generated statements.
#pragma once

#include <cstdio>

#include "diag/errors.h"
#include "host/host.h"
#include "xcomp2.h"

// Owns the dump file for one request; closes it on every path out of xcomp2.
class DumpFile {
 public:
  DumpFile() = default;
  DumpFile(const DumpFile&) = delete;
  DumpFile& operator=(const DumpFile&) = delete;
  ~DumpFile() { close(); }

  // Opens for appending; false when the file cannot be opened or its path does not fit.
  bool open();
  bool isOpen() const { return file_ != nullptr; }
  void close();

  void writeHeader(const HostStaticData& session, const char* input);
  void writeError(const SQLCA& sqlca, const CompileError& error);
  void writeResults(const XcompResult* results);

 private:
  std::FILE* file_ = nullptr;
};

// The dump's path: the instance path, the nuvdump directory and XCdump.txt. False when the whole path
// does not fit `size`.
bool dumpFilePath(char* buffer, size_t size);
