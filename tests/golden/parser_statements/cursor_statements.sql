-- OPEN in its three forms, FETCH with BULK COLLECT and LIMIT, CLOSE.
BEGIN
  OPEN c;
  OPEN c(1, 'x');
  OPEN rc FOR SELECT a FROM t WHERE b = 1;
  FETCH c BULK COLLECT INTO v1, v2 LIMIT n + 1;
  FETCH c INTO r;
  CLOSE c;
END;
