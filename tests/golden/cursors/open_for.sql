-- OPEN ... FOR a query assigns the cursor variable a cursor value and opens it; FOR a statement text
-- (a literal or a variable), the text is prepared under a generated name first, and the cursor value
-- names that statement; USING goes on the OPEN. A labelled OPEN carries its label once, on its first
-- line.
CREATE OR REPLACE PROCEDURE open_report (p_dept IN NUMBER, p_sort IN VARCHAR2, p_rows OUT SYS_REFCURSOR)
IS
  v_sql VARCHAR2(4000);
  c_tmp SYS_REFCURSOR;
BEGIN
  IF p_sort IS NULL THEN
    OPEN p_rows FOR SELECT employee_id, last_name FROM employees WHERE department_id = p_dept;
  ELSE
    v_sql := 'SELECT employee_id, last_name FROM employees WHERE department_id = ? ORDER BY ' || p_sort;
    <<dynamic_open>>
    OPEN p_rows FOR v_sql USING p_dept;
  END IF;
  OPEN c_tmp FOR 'SELECT 1 FROM sysibm.sysdummy1';
  CLOSE c_tmp;
END;
