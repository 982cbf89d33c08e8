-- A package as people write one: public and private routines, overloads, forward declarations,
-- constants, module variables whose defaults are expressions, cursors with parameters used through
-- OPEN/FETCH/CLOSE, a local table type and an initialization section. The body's thirty members are
-- written in the order declarations, forward declarations, routines, SYS_INIT.
CREATE OR REPLACE PACKAGE order_mgmt AS
  c_status_open    CONSTANT VARCHAR2(10) := 'OPEN';
  c_status_shipped CONSTANT VARCHAR2(10) := 'SHIPPED';
  c_max_lines_base CONSTANT PLS_INTEGER := 50;
  g_default_discount NUMBER(5,2) := 0;

  TYPE order_cur IS REF CURSOR RETURN orders%ROWTYPE;

  CURSOR open_orders (p_customer NUMBER) IS
    SELECT order_id, created_at
      FROM orders
     WHERE customer_id = p_customer
       AND status = 'OPEN';

  PROCEDURE create_order (p_customer IN NUMBER, p_order OUT NUMBER);
  PROCEDURE add_line (p_order IN NUMBER, p_product IN NUMBER, p_qty IN NUMBER);
  PROCEDURE add_line (p_order IN NUMBER, p_sku IN VARCHAR2, p_qty IN NUMBER);
  FUNCTION order_total (p_order IN NUMBER) RETURN NUMBER;
  FUNCTION order_total (p_order IN NUMBER, p_with_tax IN BOOLEAN) RETURN NUMBER;
  PROCEDURE ship_order (p_order IN NUMBER);
  PROCEDURE cancel_order (p_order IN NUMBER, p_reason IN VARCHAR2 DEFAULT NULL);
  FUNCTION order_status (p_order IN NUMBER) RETURN VARCHAR2;
  FUNCTION open_order_count (p_customer IN NUMBER) RETURN PLS_INTEGER;
END order_mgmt;
/
CREATE OR REPLACE PACKAGE BODY order_mgmt AS
  g_tax_rate        NUMBER := 0.08;
  g_session_started DATE := SYSDATE;
  g_orders_created  PLS_INTEGER := 0;
  g_max_lines       PLS_INTEGER := c_max_lines_base * 4;
  g_last_order      orders.order_id%TYPE;
  g_log_prefix      VARCHAR2(40) := 'order_mgmt[' || USER || ']: ';

  CURSOR line_items (p_order NUMBER) IS
    SELECT product_id, qty, unit_price
      FROM order_lines
     WHERE order_id = p_order;

  CURSOR customer_orders (p_customer NUMBER, p_status VARCHAR2) IS
    SELECT order_id FROM orders WHERE customer_id = p_customer AND status = p_status;

  TYPE id_table IS TABLE OF NUMBER INDEX BY PLS_INTEGER;

  PROCEDURE log_event (p_order IN NUMBER, p_text IN VARCHAR2);
  FUNCTION next_order_id RETURN NUMBER;

  FUNCTION product_price (p_product IN NUMBER) RETURN NUMBER IS
    v_price NUMBER;
  BEGIN
    SELECT list_price INTO v_price FROM products WHERE product_id = p_product;
    RETURN v_price * (1 - g_default_discount / 100);
  END product_price;

  FUNCTION product_id_for_sku (p_sku IN VARCHAR2) RETURN NUMBER IS
    v_id NUMBER;
  BEGIN
    SELECT product_id INTO v_id FROM products WHERE sku = UPPER(p_sku);
    RETURN v_id;
  END product_id_for_sku;

  PROCEDURE check_order_open (p_order IN NUMBER) IS
    v_status orders.status%TYPE;
  BEGIN
    SELECT status INTO v_status FROM orders WHERE order_id = p_order;
    IF v_status <> c_status_open THEN
      log_event(p_order, 'not open: ' || v_status);
    END IF;
  END check_order_open;

  PROCEDURE create_order (p_customer IN NUMBER, p_order OUT NUMBER) IS
  BEGIN
    p_order := next_order_id;
    INSERT INTO orders (order_id, customer_id, status, created_at)
    VALUES (p_order, p_customer, c_status_open, SYSDATE);
    g_orders_created := g_orders_created + 1;
    g_last_order := p_order;
    log_event(p_order, 'created');
  END create_order;

  PROCEDURE add_line (p_order IN NUMBER, p_product IN NUMBER, p_qty IN NUMBER) IS
    v_lines PLS_INTEGER;
  BEGIN
    check_order_open(p_order);
    SELECT COUNT(*) INTO v_lines FROM order_lines WHERE order_id = p_order;
    IF v_lines >= g_max_lines THEN
      log_event(p_order, 'too many lines');
      RETURN;
    END IF;
    INSERT INTO order_lines (order_id, product_id, qty, unit_price)
    VALUES (p_order, p_product, p_qty, product_price(p_product));
  END add_line;

  PROCEDURE add_line (p_order IN NUMBER, p_sku IN VARCHAR2, p_qty IN NUMBER) IS
  BEGIN
    add_line(p_order, product_id_for_sku(p_sku), p_qty);
  END add_line;

  FUNCTION order_total (p_order IN NUMBER) RETURN NUMBER IS
    v_total NUMBER := 0;
    v_product NUMBER;
    v_qty NUMBER;
    v_price NUMBER;
    v_done BOOLEAN := FALSE;
  BEGIN
    OPEN line_items(p_order);
    WHILE NOT v_done LOOP
      FETCH line_items INTO v_product, v_qty, v_price;
      v_done := v_product IS NULL;
      IF NOT v_done THEN
        v_total := v_total + v_qty * v_price;
        v_product := NULL;
      END IF;
    END LOOP;
    CLOSE line_items;
    RETURN v_total;
  END order_total;

  FUNCTION order_total (p_order IN NUMBER, p_with_tax IN BOOLEAN) RETURN NUMBER IS
  BEGIN
    IF p_with_tax THEN
      RETURN ROUND(order_total(p_order) * (1 + g_tax_rate), 2);
    END IF;
    RETURN order_total(p_order);
  END order_total;

  PROCEDURE ship_order (p_order IN NUMBER) IS
  BEGIN
    check_order_open(p_order);
    UPDATE orders
       SET status = c_status_shipped, shipped_at = SYSDATE
     WHERE order_id = p_order;
    log_event(p_order, 'shipped');
  END ship_order;

  PROCEDURE cancel_order (p_order IN NUMBER, p_reason IN VARCHAR2 DEFAULT NULL) IS
  BEGIN
    UPDATE orders SET status = 'CANCELLED' WHERE order_id = p_order;
    DELETE FROM order_lines WHERE order_id = p_order;
    log_event(p_order, 'cancelled: ' || NVL(p_reason, 'no reason given'));
  END cancel_order;

  FUNCTION order_status (p_order IN NUMBER) RETURN VARCHAR2 IS
    v_status VARCHAR2(10);
  BEGIN
    SELECT status INTO v_status FROM orders WHERE order_id = p_order;
    RETURN v_status;
  END order_status;

  FUNCTION open_order_count (p_customer IN NUMBER) RETURN PLS_INTEGER IS
    v_count PLS_INTEGER;
  BEGIN
    SELECT COUNT(*) INTO v_count FROM orders
     WHERE customer_id = p_customer AND status = c_status_open;
    RETURN v_count;
  END open_order_count;

  PROCEDURE log_event (p_order IN NUMBER, p_text IN VARCHAR2) IS
  BEGIN
    INSERT INTO order_log (order_id, logged_at, message)
    VALUES (p_order, SYSDATE, g_log_prefix || p_text);
  END log_event;

  FUNCTION next_order_id RETURN NUMBER IS
    v_id NUMBER;
  BEGIN
    SELECT order_seq.NEXTVAL INTO v_id FROM dual;
    RETURN v_id;
  END next_order_id;

  PROCEDURE recalc_discounts (p_customer IN NUMBER) IS
    v_orders PLS_INTEGER;
  BEGIN
    v_orders := open_order_count(p_customer);
    CASE
      WHEN v_orders > 20 THEN g_default_discount := 10;
      WHEN v_orders > 5 THEN g_default_discount := 5;
      ELSE g_default_discount := 0;
    END CASE;
  END recalc_discounts;

  PROCEDURE purge_cancelled (p_days IN NUMBER) IS
  BEGIN
    FOR i IN 1 .. p_days LOOP
      DELETE FROM orders
       WHERE status = 'CANCELLED' AND created_at < SYSDATE - i * 30;
      EXIT WHEN i > 12;
    END LOOP;
  END purge_cancelled;

  FUNCTION tax_for (p_amount IN NUMBER) RETURN NUMBER DETERMINISTIC IS
  BEGIN
    RETURN ROUND(p_amount * g_tax_rate, 2);
  END tax_for;

  FUNCTION is_weekend (p_day IN DATE) RETURN BOOLEAN IS
  BEGIN
    RETURN TO_CHAR(p_day, 'DY') IN ('SAT', 'SUN');
  END is_weekend;
BEGIN
  g_orders_created := 0;
  IF is_weekend(SYSDATE) THEN
    g_tax_rate := 0.07;
  END IF;
END order_mgmt;
