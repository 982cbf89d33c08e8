-- INDICES OF and VALUES OF an element of a collection of collections: the loop has no array it can
-- walk by name, and the message says so rather than naming SAVE EXCEPTIONS.
CREATE PROCEDURE close_batches (p_batches IN batch_list)
IS
BEGIN
  FORALL i IN INDICES OF p_batches(1)
    UPDATE batches SET status = 'CLOSED' WHERE batch_id = i;
  FORALL i IN VALUES OF p_batches(2)
    DELETE FROM batch_lines WHERE batch_id = i;
END;
