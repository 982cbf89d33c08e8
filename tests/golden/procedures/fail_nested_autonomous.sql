-- xcomp: --json --no-line-markers
-- A procedure declared inside a block cannot run as an autonomous transaction there: the request fails
-- on that declaration's line, the declarations after it are left out, and the block's statements are
-- still written.
DECLARE
  v_id NUMBER := 7;
  PROCEDURE note_attempt (p_id NUMBER) IS
    PRAGMA AUTONOMOUS_TRANSACTION;
  BEGIN
    INSERT INTO attempts (id) VALUES (p_id);
    COMMIT;
  END;
  PROCEDURE clear_attempts IS
  BEGIN
    DELETE FROM attempts;
  END;
BEGIN
  note_attempt(v_id);
  clear_attempts;
END;
/
