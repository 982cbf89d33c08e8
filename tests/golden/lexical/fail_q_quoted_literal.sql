-- Without --extend q-quotes, q'[...]' would be the name q and a string that ends at the first quote
-- inside: the unit is refused at the literal, and the error says how to read it as one.
CREATE OR REPLACE PROCEDURE greet (p_name IN VARCHAR2) IS
BEGIN
  DBMS_OUTPUT.PUT_LINE(q'[Hello, it's ]' || p_name);
END;
/
