-- xcomp: --no-line-markers --string-units 4
-- Code-unit-32 string units shrink the default parameter length of CHAR and CHARACTER to 63; NCHAR
-- keeps its Unicode default.
CREATE PROCEDURE types_cu32 (a IN CHAR, b IN CHARACTER, c IN NCHAR, d IN VARCHAR2, e IN CHAR(10))
IS
  v CHAR;
BEGIN
  NULL;
END;
