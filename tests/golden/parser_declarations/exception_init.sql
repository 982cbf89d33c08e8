-- xcomp: --print-tree
-- EXCEPTION_INIT keeps the error number; NUV_EXCEPTION_INIT names SQLSTATE text instead (-1).
DECLARE
  e EXCEPTION;
  PRAGMA EXCEPTION_INIT(e, -20001);
  f EXCEPTION;
  PRAGMA NUV_EXCEPTION_INIT(f, '75001');
BEGIN
  NULL;
END;
