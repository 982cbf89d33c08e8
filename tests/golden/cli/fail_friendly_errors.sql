-- Each kind of error in the user's words, with the offending token marked in its source line: a
-- missing ';', a character PL/SQL does not know, a number that does not scan, an identifier quote
-- never closed, a unit cut off by the end of the input, and two units with no '/' between them.
CREATE OR REPLACE PROCEDURE close_period(p_period IN NUMBER) IS
BEGIN
  NULL
END close_period;
/
BEGIN
  NULL; ~
END;
/
DECLARE
  v_rate NUMBER := 1.5x;
BEGIN
  NULL;
END;
/
BEGIN
  "pay_grades := 1;
END;
/
CREATE OR REPLACE PROCEDURE first_one IS BEGIN NULL; END;
CREATE OR REPLACE PROCEDURE second_one IS BEGIN NULL; END;
/
CREATE OR REPLACE FUNCTION cut_off RETURN NUMBER IS
BEGIN
  RETURN 42;

