-- xcomp: --sql pass
-- A realistic install script (CRLF line ends) read as SQL*Plus reads it: commands and REM lines are
-- left out, plain SQL is copied in place followed by the terminator line, units are compiled.
REM ====================================================================
REM  payroll_install.sql  -  payroll schema objects, release 3.2
REM  Run as the schema owner:  sqlplus payroll/... @payroll_install.sql
REM ====================================================================
SET ECHO OFF
SET FEEDBACK ON
SET SERVEROUTPUT ON SIZE 1000000
SET LINESIZE 200
WHENEVER SQLERROR EXIT SQL.SQLCODE
SPOOL payroll_install.log

PROMPT Creating table pay_grades ...
CREATE TABLE pay_grades (
  grade_id    NUMBER(4)     CONSTRAINT pay_grades_pk PRIMARY KEY,
  grade_name  VARCHAR2(30)  NOT NULL,
  min_salary  NUMBER(10,2)  DEFAULT 0,
  max_salary  NUMBER(10,2)
);

COMMENT ON TABLE pay_grades IS 'Salary bands; one row per grade';

-- The audit trail, filled by pay_grades_audit below.
CREATE TABLE pay_audit (
  changed_on  DATE          DEFAULT SYSDATE,
  grade_id    NUMBER(4),
  note        VARCHAR2(200)
)
/

PROMPT Creating package payroll ...
CREATE OR REPLACE PACKAGE payroll AS
  -- Raises both ends of a band by p_pct percent.
  PROCEDURE raise_grade(p_grade IN NUMBER, p_pct IN NUMBER);
  FUNCTION band_width(p_grade IN NUMBER) RETURN NUMBER;
END payroll;
/
SHOW ERRORS

CREATE OR REPLACE PACKAGE BODY payroll AS
  PROCEDURE raise_grade(p_grade IN NUMBER, p_pct IN NUMBER) IS
  BEGIN
    UPDATE pay_grades
       SET min_salary = min_salary * (1 + p_pct / 100),
           max_salary = max_salary * (1 + p_pct / 100)
     WHERE grade_id = p_grade;
  END raise_grade;

  FUNCTION band_width(p_grade IN NUMBER) RETURN NUMBER IS
    v_width NUMBER;
  BEGIN
    SELECT max_salary - min_salary INTO v_width
      FROM pay_grades
     WHERE grade_id = p_grade;
    RETURN v_width;
  END band_width;
END payroll;
/
SHOW ERRORS

PROMPT Creating trigger pay_grades_audit ...
CREATE OR REPLACE TRIGGER pay_grades_audit
  AFTER UPDATE ON pay_grades
  FOR EACH ROW
BEGIN
  INSERT INTO pay_audit (grade_id, note)
  VALUES (:new.grade_id, 'band changed');
END;
/
ALTER TRIGGER pay_grades_audit DISABLE;

CREATE OR REPLACE PROCEDURE reset_grades IS
BEGIN
  DELETE FROM pay_audit;
  UPDATE pay_grades SET min_salary = 0 WHERE min_salary < 0;
END reset_grades;
/
SHOW ERRORS

GRANT EXECUTE ON payroll TO payroll_clerk;
GRANT SELECT ON pay_grades TO payroll_clerk;

INSERT INTO pay_grades (grade_id, grade_name, min_salary, max_salary)
VALUES (1, 'Junior', 30000, 45000);
INSERT INTO pay_grades (grade_id, grade_name, min_salary, max_salary)
VALUES (2, 'Senior', 45000, 70000);
COMMIT;

SPOOL OFF
PROMPT Done.
EXIT
