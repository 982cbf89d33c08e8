-- Row triggers with each timing and event combination. The host wants the events in the order
-- INSERT, DELETE, UPDATE whatever the source order; UPDATE OF lists its columns with bare commas;
-- REFERENCING names get generated names; the WHEN condition comes on its own line before the body.
CREATE OR REPLACE TRIGGER emp_audit_ins
  AFTER INSERT ON employees
  FOR EACH ROW
BEGIN
  INSERT INTO emp_audit (emp_id, action, at) VALUES (:NEW.employee_id, 'I', SYSDATE);
END;
/
CREATE OR REPLACE TRIGGER emp_salary_check
  BEFORE UPDATE OF salary, commission_pct ON employees
  REFERENCING NEW AS n OLD AS o
  FOR EACH ROW
  WHEN (n.salary < o.salary)
BEGIN
  :n.salary := :o.salary;
END;
/
CREATE TRIGGER emp_cleanup BEFORE DELETE ON employees FOR EACH ROW
BEGIN
  DELETE FROM emp_phones WHERE emp_id = :OLD.employee_id;
END;
/
CREATE TRIGGER emp_touch BEFORE UPDATE OR INSERT ON employees FOR EACH ROW
BEGIN
  :NEW.updated_at := SYSDATE;
END;
/
CREATE TRIGGER emp_history AFTER DELETE OR INSERT ON employees FOR EACH ROW
BEGIN
  IF INSERTING THEN
    INSERT INTO emp_history (emp_id, event) VALUES (:NEW.employee_id, 'hired');
  ELSE
    INSERT INTO emp_history (emp_id, event) VALUES (:OLD.employee_id, 'left');
  END IF;
END;
/
CREATE TRIGGER emp_all AFTER UPDATE OF department_id OR DELETE OR INSERT ON employees
  REFERENCING OLD AS before_row NEW AS after_row
  FOR EACH ROW
BEGIN
  IF UPDATING THEN
    UPDATE departments SET head_count = head_count - 1 WHERE department_id = :before_row.department_id;
  END IF;
END;
/
CREATE OR REPLACE TRIGGER emp_view_update
  INSTEAD OF UPDATE ON emp_details_view
  REFERENCING NEW AS n PARENT AS p
  FOR EACH ROW
BEGIN
  UPDATE employees SET last_name = :n.last_name WHERE employee_id = :n.employee_id;
END;
