-- xcomp: --extend corrections
-- A restricted routine in a declaration's default: the host has it only as a procedure, so the hoisted
-- default is the CALL that the same assignment written as a statement becomes, and the place is noted.
CREATE OR REPLACE PROCEDURE run_report_query (p_sql IN VARCHAR2) IS
  v_cursor INTEGER := DBMS_SQL.OPEN_CURSOR;
  v_rows   INTEGER := 0;
BEGIN
  DBMS_SQL.PARSE(v_cursor, p_sql, DBMS_SQL.NATIVE);
  v_rows := DBMS_SQL.EXECUTE(v_cursor);
  DBMS_SQL.CLOSE_CURSOR(v_cursor);
END run_report_query;
/
