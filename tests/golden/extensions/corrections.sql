-- xcomp: --extend corrections
-- A cursor FOR loop with two arguments opens the cursor with both, not with one row value, and SQLCODE
-- read where no handler captures it gets its variable declared; each place is noted.
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
