-- DEFAULT with nothing after it in a formal argument.
CREATE PROCEDURE p (a NUMBER DEFAULT) IS
BEGIN
  NULL;
END;
