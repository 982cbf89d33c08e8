-- xcomp: --extend corrections
-- A restricted routine inside an expression of a default has nowhere to put its result: the correction
-- refuses it with the error a statement gets, where the default writes a SET the host cannot run.
CREATE OR REPLACE PROCEDURE count_rows (p_sql IN VARCHAR2) IS
  v_next INTEGER := DBMS_SQL.OPEN_CURSOR + 1;
BEGIN
  NULL;
END count_rows;
/
