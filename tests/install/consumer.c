/* consumer.c - a C program built against an installed xcomp2 through pkg-config only: one
 * compile-only call, its SQLCA and the generated text checked. Exits 0 when all is as expected. */
#include <stdio.h>
#include <string.h>
#include <xcomp2.h>

/* The caller's statement area: the length, then room for the longest statement and a NUL. */
static struct {
  uint32_t length;
  char text[XCOMP_MAX_STATEMENT + 1];
} area;

int main(void) {
  const char* source = "CREATE OR REPLACE PROCEDURE greet (p_name VARCHAR2) IS\nBEGIN\n  NULL;\nEND;";
  XcompOptions options = {XCOMP_MODE_COMPILE_ONLY};
  SQLCA sqlca;
  memset(&sqlca, 0, sizeof sqlca);
  area.length = (uint32_t)strlen(source);
  memcpy(area.text, source, area.length);
  if (xcomp2((XcompStatement*)&area, &options, &sqlca) != 1) {
    fprintf(stderr, "xcomp2 did not return 1\n");
    return 1;
  }
  if (sqlca.sqlcode != 0) {
    fprintf(stderr, "sqlcode %d: %.*s\n", (int)sqlca.sqlcode, (int)sqlca.sqlerrml, sqlca.sqlerrmc);
    return 1;
  }
  area.text[area.length] = '\0';
  if (strstr(area.text, "CREATE OR REPLACE PROCEDURE greet(") != area.text ||
      strstr(area.text, "LANGUAGE SQL") == NULL) {
    fprintf(stderr, "unexpected text:\n%s\n", area.text);
    return 1;
  }
  /* A statement the library refuses reports in the SQLCA and leaves the text alone. */
  source = "BEGIN\n  IF x THEN NULL; END;\nEND;";
  area.length = (uint32_t)strlen(source);
  memcpy(area.text, source, area.length);
  memset(&sqlca, 0, sizeof sqlca);
  xcomp2((XcompStatement*)&area, &options, &sqlca);
  if (sqlca.sqlcode >= 0 || memcmp(area.text, "BEGIN", 5) != 0) {
    fprintf(stderr, "a syntax error was not reported: sqlcode %d\n", (int)sqlca.sqlcode);
    return 1;
  }
  printf("c consumer: ok\n");
  return 0;
}
