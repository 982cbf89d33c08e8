-- A procedure declared inside a block is a declaration of the third group, after the variables.
DECLARE
  PROCEDURE show (n NUMBER) IS
  BEGIN
    NULL;
  END show;
  x NUMBER;
BEGIN
  show(x);
END;
