// outcome.cpp - how a compilation's outcome reaches the caller's SQLCA: the rules xcomp2 reports by,
// kept here once so that the command-line translator reports every request the same way.
#include "entry/entry.h"

bool reportCompilation(const XcompResult* results, const CompileError* errors, bool convert, uint16_t codePage,
                       SQLCA* sqlca) {
  if (errors != nullptr) {
    mapErrorToSqlca(errors, sqlca, convert, codePage);
    return false;
  }
  if (results == nullptr) {
    setSqlcaFailure(sqlca, unexpectedPlsql, pointNoStatement);
    return false;
  }
  return true;
}

bool convertResult(const XcompResult* result, uint16_t codePage, char* out, size_t capacity, size_t* length,
                   SQLCA* sqlca) {
  size_t left = 0;
  const uint32_t rc =
      convertCodepage(result->text, result->length, XCOMP_CODEPAGE_UTF8, codePage, out, capacity, &left);
  if (rc != 0) {
    setConversionFailure(sqlca, pointConvertResult);
    return false;
  }
  *length = capacity - left;
  return true;
}
