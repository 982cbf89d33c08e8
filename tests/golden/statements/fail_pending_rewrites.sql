-- Constructs whose host form needs a rewrite that is not built yet fail with a reason each, instead
-- of being written short: exception declarations and handlers, a named RAISE, a cursor FOR loop,
-- OPEN ... FOR and cursor attributes.
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
EXCEPTION
  WHEN oops THEN NULL;
END;
