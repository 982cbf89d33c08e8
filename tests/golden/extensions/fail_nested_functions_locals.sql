-- xcomp: --extend nested-functions
-- A nested function that reads a local of its routine, a parameter through the routine's name, or sits
-- in an anonymous block cannot become a function of its own: each is refused, saying why.
CREATE OR REPLACE PROCEDURE apply_discount (p_rate IN NUMBER) IS
  v_floor NUMBER := 10;
  FUNCTION discounted (p_price NUMBER) RETURN NUMBER IS
  BEGIN
    RETURN GREATEST(p_price * (1 - apply_discount.p_rate), v_floor);
  END;
BEGIN
  UPDATE products SET price = discounted(price);
END;
/
CREATE OR REPLACE PROCEDURE close_period (p_period IN NUMBER) IS
  FUNCTION period_end RETURN DATE IS
  BEGIN
    RETURN LAST_DAY(TO_DATE(p_period, 'YYYYMM'));
  END;
BEGIN
  UPDATE periods SET closed_on = period_end WHERE id = p_period;
END;
/
DECLARE
  FUNCTION twice (n NUMBER) RETURN NUMBER IS
  BEGIN
    RETURN n * 2;
  END;
BEGIN
  UPDATE counters SET value = twice(value);
END;
/
