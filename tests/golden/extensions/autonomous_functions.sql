-- xcomp: --extend autonomous-functions
-- An autonomous function, standalone and in a package body: its body becomes an autonomous procedure
-- whose last OUT parameter carries the result (each RETURN x assigns it first), and the function keeps
-- its name and signature and calls it. Each is warned about.
CREATE OR REPLACE FUNCTION next_invoice_no (p_series IN VARCHAR2) RETURN NUMBER IS
  PRAGMA AUTONOMOUS_TRANSACTION;
  v_next NUMBER;
BEGIN
  UPDATE invoice_series SET last_no = last_no + 1 WHERE series = p_series
  RETURNING last_no INTO v_next;
  COMMIT;
  RETURN v_next;
END next_invoice_no;
/
CREATE OR REPLACE PACKAGE BODY audit_api AS
  FUNCTION log_event (p_text IN VARCHAR2) RETURN NUMBER IS
    PRAGMA AUTONOMOUS_TRANSACTION;
  BEGIN
    IF p_text IS NULL THEN
      RETURN 0;
    END IF;
    INSERT INTO audit_log (text) VALUES (p_text);
    COMMIT;
    RETURN 1;
  END log_event;
END audit_api;
/
