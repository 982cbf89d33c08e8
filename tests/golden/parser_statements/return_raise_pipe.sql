-- RETURN with and without a value, RAISE with a name and bare, PIPE ROW, NULL.
BEGIN
  PIPE ROW (r);
  RETURN;
  RETURN x + 1;
EXCEPTION
  WHEN e1 OR pkg.e2 THEN
    RAISE other;
  WHEN OTHERS THEN
    RAISE;
END;
