-- Every EXCEPTION_INIT the host cannot express is a syntax error near "pragma exception_init" at the
-- pragma's line, naming the number or the text, the SQLSTATE form expecting <sqlstate>: -1403 (the
-- host's no-data code is 100's), a positive code, a code just outside the application-error range,
-- one below -1000000, one no map row carries, a pragma whose exception is not declared in the same
-- section (an enclosing block's does not count), and SQLSTATE strings of four and of seven characters. The request goes on after each.
DECLARE
  a EXCEPTION;
  PRAGMA EXCEPTION_INIT(a, -1403);
  b EXCEPTION;
  PRAGMA EXCEPTION_INIT(b, 5);
  c EXCEPTION;
  PRAGMA EXCEPTION_INIT(c, -21000);
  d EXCEPTION;
  PRAGMA EXCEPTION_INIT(d, -1000001);
  e EXCEPTION;
  PRAGMA EXCEPTION_INIT(e, -12345);
  PRAGMA EXCEPTION_INIT(undeclared, -1);
  f EXCEPTION;
  PRAGMA NUV_EXCEPTION_INIT(f, 'ABCD');
  g EXCEPTION;
  PRAGMA NUV_EXCEPTION_INIT(g, 'ABCDEFG');
BEGIN
  DECLARE
    PRAGMA EXCEPTION_INIT(a, -1);
  BEGIN
    NULL;
  END;
END;
