-- A record field or an object attribute cannot carry a default: the host's row fields have none.
-- Each is reported at its value, with the token DEFAULT or :=, in a block and in CREATE TYPE alike.
CREATE PROCEDURE make_point IS
  TYPE point IS RECORD (x NUMBER := 0, y NUMBER DEFAULT 0);
  p point;
BEGIN
  NULL;
END;
/
CREATE TYPE money_amount AS OBJECT (amount NUMBER, currency CHAR(3) := 'EUR');
