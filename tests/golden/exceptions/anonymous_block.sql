-- A script block with a nested procedure: both share the outermost block, which declares what either
-- reads. The nested procedure's handler and the block's own handler each capture the diagnostics;
-- SQLCODE read outside every handler reads the saved copy's default, 0.
DECLARE
  v_done NUMBER := 0;
  PROCEDURE note (p_text VARCHAR2) IS
  BEGIN
    INSERT INTO run_log (msg) VALUES (p_text);
  EXCEPTION
    WHEN DUP_VAL_ON_INDEX THEN
      dbms_output.put_line('duplicate note: ' || SQLERRM);
  END;
BEGIN
  note('start, code ' || SQLCODE);
  UPDATE jobs SET state = 'DONE' WHERE state = 'RUNNING';
  v_done := SQL%ROWCOUNT;
  note('finished ' || v_done);
EXCEPTION
  WHEN OTHERS THEN
    note('failed with ' || SQLCODE || ' ' || SQLSTATE);
    RAISE;
END;
