-- Keywords may name variables (ROW, DATE, CLOSE) and types (SELECT); a keyword name keeps its
-- spelling and has no line of its own.
DECLARE
  row NUMBER;
  Date DATE;
  close select;
BEGIN
  row := 1;
  close := row;
END;
