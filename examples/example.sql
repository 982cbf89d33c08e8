REM ===================================================================
REM  orders_install.sql - a small order-handling schema, installed the way such scripts are
REM ===================================================================
SET ECHO OFF
SET DEFINE OFF
PROMPT Creating tables ...

CREATE TABLE order_audit (
  order_id   NUMBER,
  action     VARCHAR2(10),
  changed_at DATE
);

PROMPT Creating the order_tools package ...
CREATE OR REPLACE PACKAGE order_tools AS
  e_credit_exceeded EXCEPTION;
  PRAGMA EXCEPTION_INIT(e_credit_exceeded, -20010);
  FUNCTION order_total (p_order_id IN NUMBER) RETURN NUMBER;
  PROCEDURE record_order (p_customer IN VARCHAR2, p_amount IN NUMBER, p_status OUT VARCHAR2);
END order_tools;
/

CREATE OR REPLACE PACKAGE BODY order_tools AS
  g_limit NUMBER := 10000;

  CURSOR c_open_orders (p_customer VARCHAR2) IS
    SELECT order_id, amount FROM orders WHERE customer = p_customer AND status = 'OPEN';

  FUNCTION order_total (p_order_id IN NUMBER) RETURN NUMBER IS
    v_total NUMBER(12,2) := 0;
  BEGIN
    SELECT SUM(quantity * unit_price) INTO v_total
      FROM order_lines
     WHERE order_id = p_order_id;
    RETURN v_total;
  EXCEPTION
    WHEN NO_DATA_FOUND THEN
      RETURN 0;
  END order_total;

  PROCEDURE record_order (p_customer IN VARCHAR2, p_amount IN NUMBER, p_status OUT VARCHAR2) IS
    v_open NUMBER := 0;
  BEGIN
    FOR r IN c_open_orders(p_customer) LOOP
      v_open := v_open + r.amount;
    END LOOP;
    IF v_open + p_amount > g_limit THEN
      RAISE e_credit_exceeded;
    END IF;
    INSERT INTO orders (customer, amount, status, created)
      VALUES (p_customer, p_amount, 'OPEN', SYSDATE);
    p_status := 'OK';
  EXCEPTION
    WHEN e_credit_exceeded THEN
      p_status := 'REJECTED';
    WHEN OTHERS THEN
      p_status := 'ERROR ' || SQLCODE;
      RAISE;
  END record_order;
END order_tools;
/

CREATE OR REPLACE TRIGGER orders_audit
  AFTER INSERT OR UPDATE ON orders
  FOR EACH ROW
BEGIN
  INSERT INTO order_audit (order_id, action, changed_at)
  VALUES (:NEW.order_id, CASE WHEN INSERTING THEN 'INSERT' ELSE 'UPDATE' END, SYSDATE);
END;
/

GRANT EXECUTE ON order_tools TO order_clerk;
COMMIT;
