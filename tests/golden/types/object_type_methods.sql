-- An object type's methods are read as fields: the MEMBER or STATIC word names the field and the rest
-- of the method's head is its type, written as it came.
CREATE OR REPLACE TYPE money_t AS OBJECT (
  amount   NUMBER(12, 2),
  currency VARCHAR2(3),
  MEMBER FUNCTION rounded RETURN NUMBER,
  STATIC PROCEDURE reset_rates
);
