-- xcomp: --no-line-markers
-- EXIT and CONTINUE find their loop from the nearest outward: a label is matched ignoring case, and a
-- cursor FOR's label is found through the loop that replaced it; a label that names no loop stays as
-- written, and CONTINUE outside every loop keeps no target.
CREATE PROCEDURE ship_orders IS
  CURSOR pending IS SELECT id, priority FROM orders WHERE shipped = 'N';
  stop_now BOOLEAN;
BEGIN
  <<each_order>>
  FOR o IN pending LOOP
    FOR l IN (SELECT qty FROM order_lines WHERE order_id = o.id) LOOP
      CONTINUE Each_Order WHEN l.qty = 0;
      EXIT EACH_ORDER WHEN stop_now;
      EXIT WHEN l.qty > 100;
    END LOOP;
  END LOOP each_order;
  <<cleanup>>
  BEGIN
    EXIT cleanup;
  END;
  CONTINUE;
END;
