-- A q-quoted literal in a unit is refused at the literal, naming the extension that reads it: the
-- compiler would take q'[...]' as the name q and a string and write something else without a word.
-- One in a comment or an ordinary string is text, and plain SQL passes as SQL*Plus sends it.
CREATE OR REPLACE PROCEDURE greet(p_name IN VARCHAR2) IS
  -- q'[this one is only a comment]'
  v_sep VARCHAR2(10) := 'it''s q''[x]''';
BEGIN
  DBMS_OUTPUT.PUT_LINE(v_sep || p_name);
END;
/

CREATE OR REPLACE FUNCTION label_for(p_code IN VARCHAR2) RETURN VARCHAR2 IS
BEGIN
  /* nested /* comment */ still */ RETURN p_code ||
    Q'{ (it's closed)}';
END;
/

BEGIN
  INSERT INTO audit_log(note) VALUES (nq'<don't>');
END;
/

INSERT INTO audit_log(note) VALUES (q'[plain SQL keeps it]');
