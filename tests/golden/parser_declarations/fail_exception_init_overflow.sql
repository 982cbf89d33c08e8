-- An error number beyond 32 bits records "Integer overflow"; the value saturates.
DECLARE
  e EXCEPTION;
  PRAGMA EXCEPTION_INIT(e, -99999999999);
BEGIN
  NULL;
END;
