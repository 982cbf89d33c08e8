-- Type declarations inside a routine are DECLARE TYPE lines of its body, ahead of the variables: a
-- record becomes a row type with one field per line (anchored fields become ANCHOR TO), tables and
-- varrays become arrays indexed by their INDEX BY type (INTEGER without one) or bounded by their
-- limit, and subtypes become weak-typed distinct types with their NOT NULL and RANGE check.
CREATE OR REPLACE PROCEDURE payroll_summary (p_dept IN NUMBER) IS
  TYPE pay_line IS RECORD (
    emp_id   employees.employee_id%TYPE,
    emp_name VARCHAR2(100),
    salary   NUMBER(10,2),
    grade    PLS_INTEGER
  );
  TYPE pay_lines IS TABLE OF pay_line INDEX BY PLS_INTEGER;
  TYPE totals_by_name IS TABLE OF NUMBER INDEX BY VARCHAR2(100);
  TYPE id_list IS TABLE OF NUMBER;
  TYPE last_five IS VARRAY(5) OF employees%ROWTYPE;
  SUBTYPE percentage IS NUMBER RANGE 0 .. 100 NOT NULL;
  SUBTYPE money IS NUMBER(12,2);
  SUBTYPE short_name IS VARCHAR2(30) NOT NULL;
  v_line pay_line;
  v_raise percentage := 3;
BEGIN
  SELECT employee_id, last_name, salary, 1
    INTO v_line
    FROM employees
   WHERE department_id = p_dept AND ROWNUM = 1;
END payroll_summary;
