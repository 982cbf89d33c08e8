-- xcomp: --extend save-exceptions
-- FORALL ... SAVE EXCEPTIONS over a range and over INDICES OF: every row is tried, each failure's index
-- and SQLCODE are recorded, and the bulk-errors condition (bound by EXCEPTION_INIT -24381) is signalled
-- after the last; the handler reads SQL%BULK_EXCEPTIONS. INDICES OF ... BETWEEN walks only the indices
-- inside its bounds.
CREATE OR REPLACE PROCEDURE load_customers (p_from IN PLS_INTEGER, p_to IN PLS_INTEGER) IS
  TYPE id_list IS TABLE OF NUMBER INDEX BY PLS_INTEGER;
  l_ids id_list;
  bulk_errors EXCEPTION;
  PRAGMA EXCEPTION_INIT(bulk_errors, -24381);
BEGIN
  SELECT id BULK COLLECT INTO l_ids FROM staged_customers;
  FORALL i IN 1 .. l_ids.COUNT SAVE EXCEPTIONS
    INSERT INTO customers (id) VALUES (l_ids(i));
  FORALL i IN INDICES OF l_ids BETWEEN p_from AND p_to SAVE EXCEPTIONS
    UPDATE customers SET loaded = 'Y' WHERE id = l_ids(i);
EXCEPTION
  WHEN bulk_errors THEN
    FOR j IN 1 .. SQL%BULK_EXCEPTIONS.COUNT LOOP
      INSERT INTO load_errors (row_index, error_code)
      VALUES (SQL%BULK_EXCEPTIONS(j).ERROR_INDEX, SQL%BULK_EXCEPTIONS(j).ERROR_CODE);
    END LOOP;
END load_customers;
/
