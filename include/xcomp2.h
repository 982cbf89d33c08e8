/* xcomp2.h - the library's public face: the one entry point a database engine calls per PL/SQL
 * statement, the records it exchanges and the SQL communication area it reports into.
 * Plain C so any host can include it; nothing else of the library is visible from outside. */
#ifndef XCOMP2_H
#define XCOMP2_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The caller's statement text area holds exactly this many bytes, and a statement may fill it. */
#define XCOMP_MAX_STATEMENT 2097152u

/* xcompMode bits. At least one of EXECUTE and COMPILE_ONLY must be set. */
#define XCOMP_MODE_EXECUTE 1u
#define XCOMP_MODE_COMPILE_ONLY 2u
#define XCOMP_MODE_DUMP 4u

/* The code page (UTF-8) the library compiles in. A session in another code page that needs it has its
 * text converted to this one, and the generated statements converted back. */
#define XCOMP_CODEPAGE_UTF8 1208u

/* One PL/SQL statement in the database code page, not NUL-terminated on entry. xcomp2 writes a NUL at
 * text[length] only when length is below XCOMP_MAX_STATEMENT, so nothing is ever written past the
 * caller's area. In compile-only mode the generated statement (at most XCOMP_MAX_STATEMENT bytes)
 * replaces length and text, with a NUL after it on the same condition. */
typedef struct XcompStatement {
  uint32_t length;
  char text[1]; /* the caller's area of XCOMP_MAX_STATEMENT bytes, of which length hold the statement */
} XcompStatement;

typedef struct XcompOptions {
  uint32_t xcompMode;
} XcompOptions;

/* The standard 136-byte SQL communication area. */
typedef struct SQLCA {
  char sqlcaid[8];
  int32_t sqlcabc;
  int32_t sqlcode;
  int16_t sqlerrml;
  char sqlerrmc[70];
  char sqlerrp[8];
  int32_t sqlerrd[6];
  char sqlwarn[11];
  char sqlstate[5];
} SQLCA;

/* What kind of object a generated statement creates. */
typedef enum StatementDomain {
  SQLEXC_UNKNOWN = 0,
  SQLEXC_PROCEDURE = 1,
  SQLEXC_FUNCTION = 2,
  SQLEXC_CREATE_MODULE = 3,
  SQLEXC_COMMENT_MODULE = 4,
  SQLEXC_ANONYMOUS_BLOCK = 5,
  SQLEXC_DROP_PACKAGE = 6,
  SQLEXC_DROP_PACKAGE_BODY = 7,
  SQLEXC_TRIGGER = 8,
  SQLEXC_TYPE = 9,
  SQLEXC_VARIABLE = 10,
  SQLEXC_CONDITION = 11,
  SQLEXC_SQL_STMT = 12
} StatementDomain;

/* One generated statement. length followed by text has the layout of XcompStatement. */
typedef struct XcompResult {
  uint32_t domain;
  struct XcompResult* next;
  uint32_t length;
  char text[1]; /* length bytes and a NUL */
} XcompResult;

/* Compiles (and in execute mode runs) one statement; the outcome is in *sqlca. Always returns 1. */
#if defined(__GNUC__)
__attribute__((visibility("default")))
#endif
int32_t
xcomp2(XcompStatement* statement, const XcompOptions* options, SQLCA* sqlca);

#ifdef __cplusplus
}
#endif

#endif
