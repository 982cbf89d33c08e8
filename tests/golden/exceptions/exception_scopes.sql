-- A handler names the innermost exception in scope: the inner block's own locked_row (no SQLSTATE)
-- hides the outer one bound to two SQLSTATEs, so only the outer handler lists both. An exception of a
-- block that has ended (stale_lock, bound to two SQLSTATEs) is out of scope for a later sibling, whose
-- handler keeps the name for the host.
CREATE OR REPLACE PROCEDURE release_locks (p_batch IN NUMBER)
IS
  locked_row EXCEPTION;
  PRAGMA EXCEPTION_INIT(locked_row, -2292);
BEGIN
  DECLARE
    locked_row EXCEPTION;
    stale_lock EXCEPTION;
    PRAGMA EXCEPTION_INIT(stale_lock, -6502);
  BEGIN
    DELETE FROM locks WHERE batch_id = p_batch;
  EXCEPTION
    WHEN locked_row OR stale_lock THEN
      NULL;
  END;
  BEGIN
    UPDATE batches SET released = 1 WHERE batch_id = p_batch;
  EXCEPTION
    WHEN stale_lock THEN
      NULL;
  END;
EXCEPTION
  WHEN locked_row THEN
    ROLLBACK;
END;
