-- An object type's methods have no place in the host's row type: each MEMBER or STATIC routine is
-- reported instead of being written as a field named MEMBER.
CREATE OR REPLACE TYPE money_t AS OBJECT (
  amount   NUMBER(12, 2),
  currency VARCHAR2(3),
  MEMBER FUNCTION rounded RETURN NUMBER,
  STATIC PROCEDURE reset_rates
);
