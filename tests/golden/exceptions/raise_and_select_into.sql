-- RAISE of a predefined exception signals its SQLSTATE (also written STANDARD.name); a user exception
-- is signalled by name; a bare RAISE in a handler is RESIGNAL. SELECT INTO is followed by the test that
-- signals NO_DATA_FOUND when SQLCODE is 100; a SELECT inside a cursor declaration has no INTO and gets
-- nothing.
CREATE OR REPLACE FUNCTION order_total (p_order_id IN NUMBER) RETURN NUMBER
IS
  CURSOR c_lines IS SELECT qty * price FROM order_lines WHERE order_id = p_order_id;
  empty_order EXCEPTION;
  v_total     NUMBER;
  v_lines     PLS_INTEGER;
BEGIN
  SELECT COUNT(*), SUM(qty * price) INTO v_lines, v_total FROM order_lines WHERE order_id = p_order_id;
  IF v_lines = 0 THEN
    RAISE empty_order;
  ELSIF v_total < 0 THEN
    RAISE STANDARD.VALUE_ERROR;
  ELSIF v_total IS NULL THEN
    RAISE no_data_found;
  END IF;
  RETURN v_total;
EXCEPTION
  WHEN empty_order THEN
    RETURN 0;
  WHEN VALUE_ERROR THEN
    RAISE;
END;
