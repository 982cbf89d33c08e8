-- A FOR range with a `..` but no lower bound.
BEGIN
  FOR i IN ..10 LOOP
    NULL;
  END LOOP;
END;
