-- A FOR bound too large for the INTEGER loop variable is a syntax error on the bound.
CREATE PROCEDURE big IS
BEGIN
  FOR i IN 1 .. 2147483648 LOOP
    NULL;
  END LOOP;
END;
