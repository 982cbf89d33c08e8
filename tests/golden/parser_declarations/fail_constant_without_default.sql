-- A CONSTANT needs a default value.
DECLARE
  x CONSTANT NUMBER;
BEGIN
  NULL;
END;
