-- A small order-handling script: a lookup function, a procedure that records an order, and a DROP.
CREATE OR REPLACE FUNCTION order_total(p_order_id IN NUMBER) RETURN NUMBER IS
  v_total NUMBER(12,2) := 0;
BEGIN
  SELECT SUM(quantity * unit_price) INTO v_total
    FROM order_lines
   WHERE order_id = p_order_id;
  RETURN v_total;
END order_total;
/

CREATE OR REPLACE PROCEDURE record_order(
    p_customer IN VARCHAR2,
    p_amount   IN NUMBER,
    p_status   OUT VARCHAR2) IS
  v_limit   NUMBER := 10000;
  v_count   PLS_INTEGER := 0;
BEGIN
  IF p_amount > v_limit THEN
    p_status := 'REJECTED';
  ELSIF p_amount = 0 THEN
    p_status := 'EMPTY';
  ELSE
    INSERT INTO orders (customer, amount, created)
      VALUES (p_customer, p_amount, SYSDATE);
    p_status := 'OK';
  END IF;
  FOR i IN 1 .. 3 LOOP
    v_count := v_count + i;
    EXIT WHEN v_count > 4;
  END LOOP;
  WHILE v_count > 0 LOOP
    v_count := v_count - 1;
  END LOOP;
END record_order;
/

DROP PACKAGE BODY order_tools
/
