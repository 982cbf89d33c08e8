-- A restricted package function inside an expression has nowhere to put its result: each such
-- assignment is recorded, naming the function as the source wrote it. An argument list is taken only
-- when a parenthesis follows the name and one closes the value.
CREATE PROCEDURE drain (c IN INTEGER, p_total OUT INTEGER)
IS
  l_rows INTEGER;
BEGIN
  l_rows := dbms_sql.fetch_rows(c) + 1;
  p_total := DBMS_SQL.EXECUTE(c) + DBMS_SQL.LAST_ROW_COUNT;
  l_rows := DBMS_SQL.EXECUTE_AND_FETCH(c, TRUE);
END;
