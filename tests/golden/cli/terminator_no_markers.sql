-- xcomp: --terminator @ --no-line-markers
-- The session terminator ends every statement, and no line markers are written.
CREATE OR REPLACE PROCEDURE t1(a IN NUMBER) IS
BEGIN
  IF a > 0 THEN
    NULL;
  END IF;
END;
/
DROP PACKAGE pk
