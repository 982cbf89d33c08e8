-- Plain values used as conditions are compared with TRUE: names, calls, SQL%FOUND; predicates are not.
BEGIN
  IF done THEN NULL; END IF;
  IF is_ok(x) THEN NULL; END IF;
  IF SQL%FOUND THEN NULL; END IF;
  IF SQL%ROWCOUNT > 0 THEN NULL; END IF;
  IF c%ISOPEN THEN NULL; END IF;
  IF x > 0 THEN NULL; END IF;
  WHILE NOT finished LOOP NULL; END LOOP;
END;
