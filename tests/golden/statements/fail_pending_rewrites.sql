-- Constructs whose host form needs a rewrite that is not built yet fail with a reason each, instead
-- of being written short: BULK COLLECT, FORALL over a collection and EXECUTE IMMEDIATE binds.
CREATE PROCEDURE pending (p_id IN NUMBER)
IS
  CURSOR c IS SELECT id FROM t;
  ids NUMBER;
  n NUMBER;
BEGIN
  SELECT id BULK COLLECT INTO ids FROM t;
  FETCH c BULK COLLECT INTO ids LIMIT 10;
  FORALL i IN INDICES OF ids DELETE FROM t WHERE id = ids(i);
  EXECUTE IMMEDIATE 'SELECT 1 FROM t WHERE id = :1' INTO n USING p_id;
END;
