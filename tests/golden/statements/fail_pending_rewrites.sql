-- Constructs whose host form needs a rewrite that is not built yet fail with a reason each, instead
-- of being written short: exception declarations and handlers, a named RAISE, a cursor FOR loop,
-- OPEN ... FOR, cursor attributes, BULK COLLECT, FORALL over a collection and EXECUTE IMMEDIATE binds.
CREATE PROCEDURE pending (p_id IN NUMBER)
IS
  oops EXCEPTION;
  CURSOR c IS SELECT id FROM t;
  rc SYS_REFCURSOR;
  ids NUMBER;
  n NUMBER;
BEGIN
  FOR r IN c LOOP NULL; END LOOP;
  FOR r IN (SELECT id FROM t) LOOP NULL; END LOOP;
  OPEN rc FOR SELECT id FROM t;
  IF c%NOTFOUND THEN RAISE oops; END IF;
  SELECT id BULK COLLECT INTO ids FROM t;
  FETCH c BULK COLLECT INTO ids LIMIT 10;
  FORALL i IN INDICES OF ids DELETE FROM t WHERE id = ids(i);
  EXECUTE IMMEDIATE 'SELECT 1 FROM t WHERE id = :1' INTO n USING p_id;
EXCEPTION
  WHEN oops THEN NULL;
END;
