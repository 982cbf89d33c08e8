-- LOOP, WHILE and the three kinds of FOR: a numeric range (1), a cursor (2), a query (3).
BEGIN
  LOOP
    EXIT WHEN done;
  END LOOP;
  WHILE i < 10 LOOP
    i := i + 1;
  END LOOP;
  FOR i IN REVERSE 1 .. n LOOP
    NULL;
  END LOOP;
  FOR r IN c(5) LOOP
    NULL;
  END LOOP;
  FOR r IN (SELECT a FROM t) LOOP
    NULL;
  END LOOP;
END;
