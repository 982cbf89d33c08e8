-- xcomp: --json --string-units 4
-- The JSON form under code-unit-32 string units: the mapped parameter types in the text, the domain.
CREATE PROCEDURE json_types (a IN CHAR, b IN VARCHAR2, c IN LONG) IS
BEGIN
  NULL;
END;
