-- A block that is itself a program is marked anonymous; nested blocks are not.
DECLARE
  x NUMBER;
BEGIN
  BEGIN
    x := 1;
  END;
END;
