-- xcomp: --extend corrections
-- RETURNING ... BULK COLLECT INTO: the default copies BULK COLLECT into the query it makes of the
-- changed rows, which the host cannot read; the correction refuses it at BULK with a plain message.
CREATE OR REPLACE PROCEDURE purge_old_orders IS
  TYPE id_tab IS TABLE OF NUMBER;
  l_ids id_tab;
BEGIN
  DELETE FROM orders
   WHERE created < SYSDATE - 30
  RETURNING order_id BULK COLLECT INTO l_ids;
END purge_old_orders;
/
