-- A utility type with methods needs CREATE TYPE BODY, which is not part of the accepted language: it
-- is a syntax error at BODY, where the parser stops.
CREATE OR REPLACE TYPE BODY temperature AS
  MEMBER FUNCTION fahrenheit RETURN NUMBER IS
  BEGIN
    RETURN celsius * 9 / 5 + 32;
  END;
END;
