-- xcomp: --print-tree
-- LIKE with ESCAPE, BETWEEN, IN with a list, IS [NOT] NULL, in their NOT forms too.
BEGIN
  IF name NOT LIKE 'a\_%' ESCAPE '\' THEN NULL; END IF;
  IF n BETWEEN 1 AND 10 THEN NULL; END IF;
  IF n NOT IN (1, 2, 3) THEN NULL; END IF;
  IF v IS NOT NULL OR w IS NULL THEN NULL; END IF;
END;
