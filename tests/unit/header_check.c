/* Compiles the public header as C: the SQLCA must keep the standard 136-byte layout. */
#include <stddef.h>

#include "xcomp2.h"

_Static_assert(sizeof(SQLCA) == 136, "SQLCA is 136 bytes");
_Static_assert(offsetof(SQLCA, sqlcabc) == 8, "sqlcabc");
_Static_assert(offsetof(SQLCA, sqlcode) == 12, "sqlcode");
_Static_assert(offsetof(SQLCA, sqlerrml) == 16, "sqlerrml");
_Static_assert(offsetof(SQLCA, sqlerrmc) == 18, "sqlerrmc");
_Static_assert(offsetof(SQLCA, sqlerrp) == 88, "sqlerrp");
_Static_assert(offsetof(SQLCA, sqlerrd) == 96, "sqlerrd");
_Static_assert(offsetof(SQLCA, sqlwarn) == 120, "sqlwarn");
_Static_assert(offsetof(SQLCA, sqlstate) == 131, "sqlstate");

/* Seen from C, for the C++ test to compare with its own view. */
size_t headerCheckSqlcaSize(void) { return sizeof(SQLCA); }
size_t headerCheckSqlstateOffset(void) { return offsetof(SQLCA, sqlstate); }
size_t headerCheckResultTextOffset(void) { return offsetof(XcompResult, text) - offsetof(XcompResult, length); }
size_t headerCheckStatementTextOffset(void) {
  return offsetof(XcompStatement, text) - offsetof(XcompStatement, length);
}
