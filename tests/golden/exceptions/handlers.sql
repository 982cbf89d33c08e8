-- A payroll routine as people write it: an inner block with its own exception and handlers, a
-- re-raise after logging, WHEN a OR b giving one handler per condition, OTHERS in any case, predefined
-- names with and without STANDARD., and a three-part name left for the host. Handlers that read
-- SQLERRM and SQLCODE capture GET DIAGNOSTICS first, then VALUES INTO; one that reads neither captures
-- nothing. SQLERRM outside every handler reads the text of success.
CREATE OR REPLACE PROCEDURE apply_raise (p_emp_id IN NUMBER, p_pct IN NUMBER)
IS
  salary_too_high EXCEPTION;
  v_salary        NUMBER;
  v_status        VARCHAR2(200);
BEGIN
  v_status := SQLERRM;
  BEGIN
    SELECT salary INTO v_salary FROM employees WHERE employee_id = p_emp_id;
    IF v_salary * (1 + p_pct / 100) > 250000 THEN
      RAISE salary_too_high;
    END IF;
    UPDATE employees SET salary = salary * (1 + p_pct / 100) WHERE employee_id = p_emp_id;
  EXCEPTION
    WHEN no_data_found OR STANDARD.TOO_MANY_ROWS THEN
      INSERT INTO payroll_log (emp_id, msg) VALUES (p_emp_id, 'lookup failed: ' || SQLERRM);
      RAISE;
    WHEN salary_too_high THEN
      v_status := 'capped';
  END;
  COMMIT;
EXCEPTION
  WHEN STANDARD.ZERO_DIVIDE THEN
    NULL;
  WHEN hr.errors.audit_failed THEN
    ROLLBACK;
  WHEN others THEN
    INSERT INTO payroll_log (emp_id, msg, code) VALUES (p_emp_id, SQLERRM, SQLCODE);
    RAISE;
END apply_raise;
