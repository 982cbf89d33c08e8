-- A CASE with a selector keeps each WHEN value as collected text; a searched CASE parses its conditions.
BEGIN
  CASE grade
    WHEN 'A' THEN x := 1;
    WHEN 'B' THEN x := 2;
    ELSE x := 0;
  END CASE;
  CASE
    WHEN flag THEN NULL;
    WHEN n > 0 THEN NULL;
  END CASE;
END;
