-- Embedded SQL: the verb and its code, the rest as collected text; SAVEPOINT and TRUNCATE travel as LOCK.
BEGIN
  INSERT INTO t (a) VALUES (1);
  UPDATE t SET a = 2 WHERE b = 3;
  DELETE FROM t WHERE a = 1;
  MERGE INTO t USING s ON (t.a = s.a) WHEN MATCHED THEN UPDATE SET b = 1;
  LOCK TABLE t IN EXCLUSIVE MODE;
  SAVEPOINT sp;
  TRUNCATE TABLE t;
  ROLLBACK;
  ROLLBACK TO sp;
  COMMIT;
  START TRANSACTION;
END;
