-- An anonymous block holding one call is written as the call alone; with a declaration it needs the
-- compound statement and ends at the terminator. Line markers follow the source lines.
BEGIN
  p(1, 2);
END;
/
DECLARE
  n INTEGER := 3;
BEGIN
  p(n, 2);
END;
