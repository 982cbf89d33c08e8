-- Requests split at "/" lines (blanks around allowed); an empty request is skipped; the error in the
-- third request is reported with its line counted in the whole file, and the fourth still compiles.
BEGIN
  NULL;
END;
  /	

/
CREATE PROCEDURE p1 IS
BEGIN
  x := 1;
  IF x THEN NULL; END;
END;
/
BEGIN
  NULL;
END;
