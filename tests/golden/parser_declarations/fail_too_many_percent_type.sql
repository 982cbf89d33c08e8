-- A datatype with two %TYPE or %ROWTYPE references records two messages.
DECLARE
  x t.c%TYPE%ROWTYPE;
BEGIN
  NULL;
END;
