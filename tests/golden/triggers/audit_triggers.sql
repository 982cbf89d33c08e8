-- Triggers as an audit schema writes them: a row trigger with REFERENCING aliases, a WHEN condition
-- naming the row images without colons, a SELECT INTO with its NO_DATA_FOUND handler and a re-raise;
-- a row trigger on the plain :NEW/:OLD, which gains its REFERENCING entries; and a statement trigger,
-- where :NEW is renamed but no REFERENCING entry may be added.
CREATE OR REPLACE TRIGGER salary_change_audit
  BEFORE UPDATE OF salary, commission_pct ON employees
  REFERENCING NEW AS nw OLD AS od
  FOR EACH ROW
  WHEN (new.salary <> old.salary)
DECLARE
  v_grade  pay_grades.grade_id%TYPE;
  v_reason VARCHAR2(200);
BEGIN
  SELECT grade_id INTO v_grade
    FROM pay_grades
   WHERE :nw.salary BETWEEN min_salary AND max_salary;
  IF :nw.salary > :od.salary * 1.5 THEN
    v_reason := 'large raise';
  ELSE
    v_reason := 'adjustment';
  END IF;
  INSERT INTO salary_audit (emp_id, old_salary, new_salary, grade_id, reason, changed_at)
  VALUES (:od.employee_id, :od.salary, :nw.salary, v_grade, v_reason, SYSDATE);
EXCEPTION
  WHEN NO_DATA_FOUND THEN
    RAISE_APPLICATION_ERROR(-20010, 'salary outside every grade');
  WHEN OTHERS THEN
    INSERT INTO audit_errors (at, code, message) VALUES (SYSDATE, SQLCODE, SQLERRM);
    RAISE;
END;
/
CREATE OR REPLACE TRIGGER employees_keep_history
  AFTER DELETE OR UPDATE ON employees
  FOR EACH ROW
BEGIN
  INSERT INTO employees_history (employee_id, last_name, salary, valid_to)
  VALUES (:OLD.employee_id, :OLD.last_name, :OLD.salary, SYSDATE);
  IF UPDATING THEN
    :NEW.updated_at := SYSDATE;
  END IF;
END;
/
CREATE OR REPLACE TRIGGER employees_bulk_guard
  BEFORE INSERT OR DELETE ON employees
BEGIN
  IF TO_CHAR(SYSDATE, 'DY') IN ('SAT', 'SUN') THEN
    RAISE_APPLICATION_ERROR(-20001, 'no changes at the weekend');
  END IF;
  :NEW.checked := 1;
END;
/
