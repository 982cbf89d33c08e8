-- xcomp: --terminator % --no-line-markers
-- --terminator names the line written after every statement, and no line markers are written.
CREATE OR REPLACE PROCEDURE t1(a IN NUMBER) IS
BEGIN
  IF a > 0 THEN
    NULL;
  END IF;
END;
/
DROP PACKAGE pk
