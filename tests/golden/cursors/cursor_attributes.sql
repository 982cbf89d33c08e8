-- Explicit cursor attributes become the host's cursor predicates and CURSOR_ROWCOUNT. A cursor named
-- through its procedure (p.c) is named through the procedure body's label instead; a qualified name
-- whose second part is a parameter of that procedure stays as written.
CREATE OR REPLACE PROCEDURE drain_queue (batch IN NUMBER)
IS
  CURSOR c_msg IS SELECT msg_id FROM queue ORDER BY msg_id;
  v_id NUMBER;
BEGIN
  IF NOT c_msg%ISOPEN THEN
    OPEN c_msg;
  END IF;
  LOOP
    FETCH c_msg INTO v_id;
    EXIT WHEN c_msg%NOTFOUND OR drain_queue.c_msg%ROWCOUNT >= drain_queue.batch;
    DELETE FROM queue WHERE msg_id = v_id;
  END LOOP;
  IF drain_queue.c_msg%FOUND THEN
    log_event('more to do');
  END IF;
  CLOSE c_msg;
END;
