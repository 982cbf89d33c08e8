-- Cursors with and without parameters; a comment right before the query's ';' stays with it.
DECLARE
  CURSOR c1 IS SELECT a FROM t WHERE b = 1 /* keep me */;
  CURSOR c2 (p NUMBER, q VARCHAR2 DEFAULT 'x') IS SELECT a FROM t WHERE b = p;
BEGIN
  NULL;
END;
