-- A PIPE ROW value goes out as the source wrote it: a name qualified by the function's own name keeps
-- its qualifier, while the same name in an assignment is requalified by the body's label; the rows
-- themselves come from a cursor FOR loop as usual.
CREATE OR REPLACE FUNCTION open_orders (p_region IN VARCHAR2)
  RETURN order_tab_t PIPELINED
IS
  total NUMBER := 0;
BEGIN
  FOR o IN (SELECT order_id, amount FROM orders WHERE region = p_region AND status = 'OPEN') LOOP
    open_orders.total := open_orders.total + o.amount;
    PIPE ROW (order_row_t(o.order_id, o.amount, open_orders.total));
  END LOOP;
  RETURN;
END open_orders;
