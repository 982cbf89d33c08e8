-- xcomp: --no-line-markers
-- A procedure with IN and OUT parameters: each parameter on its own line with its mode word, VARCHAR2
-- widened for a parameter, the SPECIFIC name, and the labelled body ending at the terminator.
CREATE OR REPLACE PROCEDURE p (a IN INTEGER, b OUT VARCHAR2, c IN OUT NUMBER DEFAULT 0)
IS
BEGIN
  b := 'x';
END;
