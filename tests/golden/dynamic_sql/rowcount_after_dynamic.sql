-- When the routine reads SQL% attributes, ROW_COUNT is captured right after every dynamic statement:
-- after the host's own EXECUTE IMMEDIATE, and after the EXECUTE inside the block of a bound one.
CREATE PROCEDURE purge_stale (p_days IN NUMBER, p_removed OUT NUMBER)
IS
BEGIN
  EXECUTE IMMEDIATE 'DELETE FROM session_cache WHERE expired = 1';
  p_removed := SQL%ROWCOUNT;
  EXECUTE IMMEDIATE 'DELETE FROM audit_trail WHERE logged_at < CURRENT_DATE - :d' USING p_days;
  IF SQL%FOUND THEN
    p_removed := p_removed + SQL%ROWCOUNT;
  END IF;
END;
