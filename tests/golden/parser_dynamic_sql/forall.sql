-- FORALL over a range (4), INDICES OF (5) and VALUES OF (6), with DML or dynamic bodies.
BEGIN
  FORALL i IN 1 .. n
    INSERT INTO t VALUES (a(i));
  FORALL i IN INDICES OF a
    UPDATE t SET b = a(i) WHERE id = i;
  FORALL i IN VALUES OF idx
    EXECUTE IMMEDIATE 'DELETE FROM t WHERE id = :1' USING a(i);
END;
