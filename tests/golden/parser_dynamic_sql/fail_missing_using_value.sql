-- A USING list with an empty parameter.
BEGIN
  EXECUTE IMMEDIATE 'UPDATE t SET a = :1' USING , x;
END;
