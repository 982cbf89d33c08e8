-- Cursor FOR loops as people nest them: a FOR over a declared cursor with arguments inside a numeric
-- FOR inside a labelled basic loop, and a FOR over a query. Each cursor loop becomes a block that
-- declares the row, opens the cursor and fetches in a LOOP that leaves when SQLCODE is 100; the declared
-- cursor is closed after it. EXIT and CONTINUE, with and without labels, at every level still reach the
-- loop they name: the generated loops stand for the FORs whose labels they carry.
CREATE OR REPLACE PROCEDURE reprice_catalog (p_rounds IN NUMBER)
IS
  CURSOR c_items (p_category VARCHAR2, p_min NUMBER) IS
    SELECT item_id, price FROM items WHERE category = p_category AND price >= p_min;
  v_changed PLS_INTEGER := 0;
BEGIN
  <<rounds>>
  LOOP
    EXIT rounds WHEN v_changed > 1000;
    <<categories>>
    FOR i IN 1 .. p_rounds LOOP
      CONTINUE categories WHEN MOD(i, 2) = 0;
      <<items_loop>>
      FOR item IN c_items('BOOKS', i * 10) LOOP
        CONTINUE WHEN item.price IS NULL;
        EXIT rounds WHEN item.price > 5000;
        EXIT categories WHEN item.price > 2000;
        CONTINUE rounds WHEN item.price > 1000;
        UPDATE items SET price = ROUND(item.price * 1.02, 2) WHERE item_id = item.item_id;
        v_changed := v_changed + 1;
        EXIT items_loop WHEN v_changed > 500;
      END LOOP items_loop;
      EXIT WHEN v_changed > 800;
    END LOOP categories;
    FOR r IN (SELECT item_id FROM items WHERE price IS NULL) LOOP
      DELETE FROM items WHERE item_id = r.item_id;
      EXIT;
    END LOOP;
    EXIT;
  END LOOP rounds;
END;
