-- USING arguments are read where the prepared statement runs: :NEW.col names the renamed transition row
-- (and gives the trigger its REFERENCING entry), SQLERRM and SQLCODE in a handler read what the handler
-- captured on entry, and a cursor attribute becomes the host's cursor function, like anywhere else.
CREATE OR REPLACE TRIGGER orders_archive_trg
AFTER INSERT OR UPDATE ON orders
FOR EACH ROW
DECLARE
  l_table VARCHAR2(30) := 'ORDERS_' || TO_CHAR(SYSDATE, 'YYYY');
BEGIN
  EXECUTE IMMEDIATE 'INSERT INTO ' || l_table || ' (order_id, status) VALUES (:1, :2)'
    USING :NEW.order_id, :NEW.status;
EXCEPTION
  WHEN OTHERS THEN
    EXECUTE IMMEDIATE 'INSERT INTO archive_errors (msg) VALUES (:1)' USING SQLERRM;
END;
/
CREATE OR REPLACE PROCEDURE purge_stage (p_table IN VARCHAR2) IS
BEGIN
  EXECUTE IMMEDIATE 'DELETE FROM ' || p_table;
EXCEPTION
  WHEN OTHERS THEN
    EXECUTE IMMEDIATE 'INSERT INTO job_errors (job, code, msg) VALUES (:j, :c, :m)'
      USING 'purge_stage', SQLCODE, SQLERRM;
    RAISE;
END purge_stage;
/
CREATE OR REPLACE PROCEDURE copy_batch (p_batch IN NUMBER) IS
  CURSOR c_rows IS SELECT id FROM stage_rows WHERE batch_id = p_batch;
  l_id NUMBER;
BEGIN
  OPEN c_rows;
  LOOP
    FETCH c_rows INTO l_id;
    EXIT WHEN c_rows%NOTFOUND;
    EXECUTE IMMEDIATE 'INSERT INTO copied_rows (id, seq) VALUES (:1, :2)' USING l_id, c_rows%ROWCOUNT;
  END LOOP;
  CLOSE c_rows;
END copy_batch;
/
