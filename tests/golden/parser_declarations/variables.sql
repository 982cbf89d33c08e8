-- Variables: CONSTANT, NOT NULL, defaults after := and DEFAULT (as condition text), and datatypes
-- read with their parentheses, CHAR lengths and %TYPE.
DECLARE
  a CONSTANT NUMBER(9, 2) NOT NULL := -1.5;
  b VARCHAR2(10 CHAR) DEFAULT 'x';
  c t.col%TYPE;
  d BOOLEAN := x > 0;
  e BOOLEAN := done;
BEGIN
  NULL;
END;
