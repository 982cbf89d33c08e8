-- SQL%ROWCOUNT, SQL%FOUND and SQL%NOTFOUND after each statement kind that changes rows (INSERT,
-- UPDATE, DELETE, MERGE): GET DIAGNOSTICS of ROW_COUNT right after the statement, then the attributes
-- the routine reads (NOTFOUND before FOUND). After SELECT INTO the SQLCODE is saved before the
-- attributes and the NO_DATA_FOUND test reads the saved copy. OPEN is captured too; FETCH, COMMIT and
-- CALL are not, so the count of the statement before them stays.
CREATE OR REPLACE PROCEDURE sync_stock (p_warehouse IN NUMBER, p_moved OUT NUMBER)
IS
  CURSOR c_low IS SELECT item_id FROM stock WHERE warehouse_id = p_warehouse AND qty < 10;
  v_item NUMBER;
  v_qty  NUMBER;
BEGIN
  p_moved := 0;
  INSERT INTO stock_audit (warehouse_id, taken_at) VALUES (p_warehouse, SYSDATE);
  p_moved := p_moved + SQL%ROWCOUNT;
  UPDATE stock SET qty = qty - 1 WHERE warehouse_id = p_warehouse AND qty > 0;
  IF SQL%NOTFOUND THEN
    log_event('nothing to decrement');
  END IF;
  DELETE FROM stock WHERE warehouse_id = p_warehouse AND qty = 0;
  IF SQL%FOUND THEN
    p_moved := p_moved + SQL%ROWCOUNT;
  END IF;
  MERGE INTO stock s USING incoming i ON (s.item_id = i.item_id)
    WHEN MATCHED THEN UPDATE SET s.qty = s.qty + i.qty
    WHEN NOT MATCHED THEN INSERT (item_id, qty) VALUES (i.item_id, i.qty);
  p_moved := p_moved + SQL%ROWCOUNT;
  SELECT qty INTO v_qty FROM stock WHERE item_id = 1 AND warehouse_id = p_warehouse;
  OPEN c_low;
  FETCH c_low INTO v_item;
  CLOSE c_low;
  COMMIT;
  log_event('moved ' || SQL%ROWCOUNT);
END;
