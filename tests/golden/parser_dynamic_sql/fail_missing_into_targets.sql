-- INTO with no targets after it.
BEGIN
  EXECUTE IMMEDIATE 'SELECT 1 FROM dual' INTO USING x;
END;
