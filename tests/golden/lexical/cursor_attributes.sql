-- xcomp: --print-tokens
-- Cursor and SQL attributes with their values, comparison operators and the build date.
BEGIN
  IF c1%FOUND AND c1%ROWCOUNT >= 1 AND SQL%NOTFOUND OR c2%ISOPEN THEN
    v := SQL%ROWCOUNT; w := '@BUILDDATE@';
  END IF;
  r emp%ROWTYPE; t emp.id%TYPE;
END;
