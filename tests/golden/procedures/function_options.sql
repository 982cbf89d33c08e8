-- xcomp: --no-line-markers
-- Function heads: parameter modes and defaults, an anchored parameter, a mapped return type, the
-- DETERMINISTIC line, PIPELINED as TABLE ELEMENT OF, and "()" for a function without parameters.
CREATE OR REPLACE FUNCTION rate (
    p_id    IN  emp.id%TYPE,
    p_row   IN  emp%ROWTYPE,
    p_scale IN  PLS_INTEGER DEFAULT 2,
    p_note  OUT VARCHAR2)
  RETURN NUMBER DETERMINISTIC
IS
BEGIN
  p_note := 'ok';
  RETURN p_scale * 2;
END;
/
CREATE FUNCTION names RETURN LONG PIPELINED
IS
BEGIN
  PIPE ROW ('a');
  RETURN;
END;
/
CREATE FUNCTION today RETURN DATE IS BEGIN RETURN SYSDATE; END;
