-- xcomp: --no-line-markers --codepage 1252
-- A session outside Unicode: RAW becomes BLOB(32767) and NCHAR types are not mapped.
CREATE PROCEDURE types_1252 (a IN RAW, b IN NCHAR, c IN NVARCHAR2, d IN VARCHAR2)
IS
  v RAW;
BEGIN
  NULL;
END;
