-- xcomp: --no-line-markers
-- The Unicode session's map: parameters get the parameter suffix when no length is given, variables
-- the declaration suffix (none for VARCHAR2), a given length stays behind the host name, two-word
-- types match as a prefix, LONG and RAW take their fixed lengths, unknown types pass unchanged.
CREATE PROCEDURE types_unicode (
    a IN VARCHAR2, b IN CHAR, c IN NCHAR, d IN NVARCHAR2, e IN LONG RAW,
    f IN VARCHAR2(30), g IN DOUBLE PRECISION, h IN BINARY_INTEGER, i IN RAW, j IN DATE)
IS
  v1 VARCHAR2;
  v2 VARCHAR2(20);
  v3 LONG;
  v4 RAW;
  v5 CHARACTER VARYING(8);
  v6 NATURAL;
  v7 XMLTYPE;
  v8 SYS_REFCURSOR;
  v9 TIMESTAMP;
BEGIN
  NULL;
END;
