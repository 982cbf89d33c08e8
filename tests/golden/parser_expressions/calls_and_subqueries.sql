-- Named arguments, sub-selects, EXISTS, a field of a call's result, SQLCODE and SQLERRM.
BEGIN
  IF f(a => 1, b => x + 1) THEN NULL; END IF;
  IF (SELECT COUNT(*) FROM t) > 0 THEN NULL; END IF;
  IF EXISTS (SELECT 1 FROM t WHERE a = 1) THEN NULL; END IF;
  IF get_rec(1).name = 'x' THEN NULL; END IF;
  IF sqlcode <> 0 OR SQLERRM(sqlcode) IS NULL THEN NULL; END IF;
END;
