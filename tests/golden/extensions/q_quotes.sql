-- xcomp: --extend q-quotes
-- Alternative quoting: each literal is one string with the value between its delimiters, quotes inside
-- doubled on the way out; the four brackets pair, any other character closes itself, nq' is national.
CREATE OR REPLACE PACKAGE BODY audit_text IS
  PROCEDURE log_change (p_table IN VARCHAR2, p_who IN VARCHAR2) IS
    l_msg VARCHAR2(400);
  BEGIN
    l_msg := q'[Table ']' || p_table || q'[' changed by ]' || p_who;
    INSERT INTO audit_log (msg, note) VALUES (l_msg, Q'{can't undo}');
    l_msg := q'!it's done!' || nq'<ü>' || q'(
(multi-line) text)';
    DBMS_OUTPUT.PUT_LINE(l_msg);
  END log_change;
END audit_text;
/
