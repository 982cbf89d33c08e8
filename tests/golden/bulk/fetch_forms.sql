-- BULK COLLECT fetches: every target is emptied first, then the loop fetches row k into element k.
-- Without LIMIT it runs until the cursor is exhausted; with LIMIT the count is evaluated once, before
-- the first row. A label on the fetch is written once, before the block that replaces it.
CREATE PROCEDURE read_all (p_cap IN PLS_INTEGER)
IS
  CURSOR c_orders IS SELECT order_id, amount FROM orders;
  l_ids     id_list;
  l_amounts amount_list;
BEGIN
  OPEN c_orders;
  FETCH c_orders BULK COLLECT INTO l_ids, l_amounts;
  CLOSE c_orders;
  OPEN c_orders;
  <<first_page>>
  FETCH c_orders BULK COLLECT INTO l_ids, l_amounts LIMIT p_cap * 2;
  CLOSE c_orders;
END;
