-- END can name a type but not a variable.
DECLARE
  end NUMBER;
BEGIN
  NULL;
END;
