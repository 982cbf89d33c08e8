-- xcomp: --no-line-markers
-- SQL inside a routine ends with ";" and stays in the routine's statement; SELECT INTO keeps its
-- clauses in order; a procedure call becomes CALL; a bare RETURN keeps the blank before its ";".
CREATE PROCEDURE s (n OUT INTEGER)
IS
BEGIN
  SELECT COUNT(*) INTO n FROM t WHERE k = 1;
  UPDATE t SET a = 1 WHERE k = 2;
  DELETE FROM t WHERE k = 3;
  q(n, 'a');
  RETURN;
END;
