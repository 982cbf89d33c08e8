-- RETURNING ... INTO leaves INSERT, UPDATE and DELETE: the returned columns are selected from the
-- rows the statement changed, NEW TABLE for INSERT and UPDATE, OLD TABLE for DELETE. MERGE and a
-- statement without RETURNING stay as written.
CREATE OR REPLACE PROCEDURE archive_order (p_order_id IN NUMBER, p_archive_id OUT NUMBER)
IS
  v_total NUMBER;
  v_count NUMBER;
BEGIN
  INSERT INTO order_archive (order_id, archived_on) VALUES (p_order_id, SYSDATE)
    RETURNING archive_id INTO p_archive_id;
  UPDATE orders SET status = 'ARCHIVED' WHERE order_id = p_order_id RETURNING total INTO v_total;
  DELETE FROM order_lines WHERE order_id = p_order_id RETURNING COUNT(*) INTO v_count;
  DELETE FROM order_notes WHERE order_id = p_order_id;
END;
