-- Package functions the host offers only as procedures: an assignment from one becomes a CALL with the
-- target as its last argument, with or without an argument list. Other package functions stay
-- assignments, and calls to package procedures stay calls.
CREATE OR REPLACE PROCEDURE purge_by_age (p_table IN VARCHAR2, p_days IN NUMBER, p_deleted OUT NUMBER)
IS
  l_cursor INTEGER;
  l_rows   INTEGER;
  l_pos    INTEGER;
BEGIN
  l_cursor := DBMS_SQL.OPEN_CURSOR;
  DBMS_SQL.PARSE(l_cursor, 'DELETE FROM ' || p_table || ' WHERE created_at < CURRENT_DATE - :d', DBMS_SQL.NATIVE);
  DBMS_SQL.BIND_VARIABLE(l_cursor, ':d', p_days);
  l_rows := DBMS_SQL.EXECUTE(l_cursor);
  p_deleted := dbms_sql.last_row_count;
  l_pos := Dbms_Sql.Last_Error_Position();
  DBMS_SQL.CLOSE_CURSOR(l_cursor);
END purge_by_age;
