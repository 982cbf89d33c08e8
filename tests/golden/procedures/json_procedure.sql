-- xcomp: --json
-- The JSON form of a procedure and of an anonymous CALL: one object per request with its domain.
CREATE PROCEDURE touch (p_id IN NUMBER) IS
BEGIN
  UPDATE t SET touched = SYSDATE WHERE id = p_id;
END;
/
BEGIN
  touch(42);
END;
