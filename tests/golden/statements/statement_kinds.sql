-- Every statement kind inside a body that translates without a later rewrite: assignment, IF with
-- ELSIF, searched and simple CASE, GOTO, labelled and plain NULL, SELECT INTO, cursor OPEN, FETCH and
-- CLOSE, CALL, EXECUTE IMMEDIATE without binds, DML, COMMIT and RETURN.
CREATE OR REPLACE FUNCTION kinds (p_id IN NUMBER) RETURN NUMBER
IS
  v NUMBER := 0;
  w VARCHAR2(10);
  CURSOR c (k NUMBER) IS SELECT name FROM t WHERE id = k;
BEGIN
  v := p_id + 1;
  IF v > 10 THEN
    v := 10;
  ELSIF v < 0 THEN
    v := 0;
  END IF;
  CASE v
    WHEN 1 THEN w := 'one';
    WHEN 2 THEN w := 'two';
    ELSE w := 'many';
  END CASE;
  CASE
    WHEN v > 5 THEN GOTO finish;
  END CASE;
  NULL;
  SELECT COUNT(*) INTO v FROM t WHERE id = p_id;
  OPEN c(p_id);
  FETCH c INTO w;
  CLOSE c;
  log_it(w, v);
  EXECUTE IMMEDIATE 'TRUNCATE TABLE scratch';
  INSERT INTO audit (id, note) VALUES (p_id, w);
  DELETE FROM scratch WHERE id = p_id;
  COMMIT;
  <<finish>>
  NULL;
  RETURN v;
END;
