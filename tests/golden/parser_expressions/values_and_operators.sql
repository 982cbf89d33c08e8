-- Signs join a literal number but not a name; arithmetic, concatenation, CURRENT DATE, CAST, CASE.
BEGIN
  IF x > -5 AND y < - z THEN NULL; END IF;
  IF a * 2 + b / 3 - c ** 2 > 0 THEN NULL; END IF;
  IF s || 'x' = 'ax' THEN NULL; END IF;
  IF d < CURRENT DATE THEN NULL; END IF;
  IF CAST(x AS NUMBER(5)) = 1 THEN NULL; END IF;
  IF CASE WHEN a > 1 THEN 1 ELSE 0 END = 1 THEN NULL; END IF;
  IF CASE k WHEN 1 THEN 'a' END = 'a' THEN NULL; END IF;
END;
