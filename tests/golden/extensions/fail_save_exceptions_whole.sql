-- xcomp: --extend save-exceptions
-- SQL%BULK_EXCEPTIONS read as a whole collection has no host value: refused, saying which forms are read.
CREATE OR REPLACE PROCEDURE archive_orders IS
  TYPE id_list IS TABLE OF NUMBER;
  l_ids id_list;
BEGIN
  FORALL i IN 1 .. l_ids.COUNT SAVE EXCEPTIONS
    DELETE FROM orders WHERE id = l_ids(i);
EXCEPTION
  WHEN OTHERS THEN
    log_failures(SQL%BULK_EXCEPTIONS);
END;
/
