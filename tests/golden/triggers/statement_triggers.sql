-- Statement triggers: FOR EACH STATEMENT, written or left out, and a trigger body with its own
-- declarations. FOLLOWS and DISABLE have no host form and are left out of the text.
CREATE OR REPLACE TRIGGER orders_stats
  AFTER INSERT OR UPDATE OR DELETE ON orders
  FOR EACH STATEMENT
DECLARE
  v_open NUMBER;
BEGIN
  SELECT COUNT(*) INTO v_open FROM orders WHERE status = 'OPEN';
  UPDATE order_stats SET open_orders = v_open, refreshed_at = SYSDATE;
END orders_stats;
/
CREATE TRIGGER orders_guard BEFORE DELETE ON orders
BEGIN
  IF TO_CHAR(SYSDATE, 'HH24') < '06' THEN
    INSERT INTO blocked_deletes (at) VALUES (SYSDATE);
  END IF;
END;
/
CREATE TRIGGER orders_after AFTER UPDATE ON orders FOR EACH STATEMENT FOLLOWS orders_stats DISABLE
BEGIN
  NULL;
END;
