-- EXCEPTION_INIT binds a declared exception to SQLSTATEs: one map row gives one (the condition is
-- declared FOR it and handlers keep the name), a code with two map rows gives both and handlers name
-- them all, the application-error range gives UD000..UD999, 100 gives NO_DATA_FOUND's ORANF, and the
-- SQLSTATE-string form takes the five characters between the quotes. A plain exception keeps its
-- name and raises as itself.
CREATE OR REPLACE PROCEDURE remove_customer (p_id IN NUMBER)
IS
  dup_customer    EXCEPTION;
  PRAGMA EXCEPTION_INIT(dup_customer, -1);
  child_rows      EXCEPTION;
  PRAGMA EXCEPTION_INIT(child_rows, -2292);
  credit_hold     EXCEPTION;
  PRAGMA EXCEPTION_INIT(credit_hold, -20000);
  legal_hold      EXCEPTION;
  PRAGMA EXCEPTION_INIT(legal_hold, -20999);
  gone            EXCEPTION;
  PRAGMA EXCEPTION_INIT(gone, 100);
  archived        EXCEPTION;
  PRAGMA NUV_EXCEPTION_INIT(archived, 'AR001');
  not_bound       EXCEPTION;
BEGIN
  IF p_id < 0 THEN
    RAISE credit_hold;
  END IF;
  DELETE FROM customers WHERE customer_id = p_id;
EXCEPTION
  WHEN child_rows THEN
    RAISE legal_hold;
  WHEN dup_customer OR gone OR archived THEN
    RAISE not_bound;
END;
