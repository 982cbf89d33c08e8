-- xcomp: --no-line-markers
-- The same procedure without --extend corrections: the loop opens c_items((p_low, p_high)) and the
-- routine reads SYSKELINTERNAL_SQLCODE without declaring it, as the default translation writes them.
CREATE OR REPLACE PROCEDURE reprice (p_low IN NUMBER, p_high IN NUMBER) IS
  CURSOR c_items (lo NUMBER, hi NUMBER) IS
    SELECT item_id, price FROM items WHERE price BETWEEN lo AND hi;
  CURSOR c_one (id NUMBER) IS
    SELECT item_id, price FROM items WHERE item_id = id;
  l_status NUMBER;
BEGIN
  FOR r IN c_items(p_low, p_high) LOOP
    UPDATE items SET price = r.price * 1.1 WHERE item_id = r.item_id;
  END LOOP;
  FOR r IN c_one(42) LOOP
    NULL;
  END LOOP;
  l_status := SQLCODE;
  INSERT INTO reprice_log (status) VALUES (l_status);
END;
/
