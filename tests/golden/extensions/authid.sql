-- xcomp: --extend authid
-- AUTHID CURRENT_USER on a procedure, a function and a package head: written without it, and each
-- warned about, since the result runs with its definer's rights, not the caller's.
CREATE OR REPLACE PROCEDURE purge_session_data (p_session IN NUMBER)
  AUTHID CURRENT_USER
IS
BEGIN
  DELETE FROM session_data WHERE session_id = p_session;
END purge_session_data;
/
CREATE OR REPLACE FUNCTION current_schema_name RETURN VARCHAR2
  AUTHID CURRENT_USER
IS
BEGIN
  RETURN SYS_CONTEXT('USERENV', 'CURRENT_SCHEMA');
END;
/
CREATE OR REPLACE PACKAGE report_runner AUTHID CURRENT_USER AS
  PROCEDURE run (p_report IN VARCHAR2);
END report_runner;
/
