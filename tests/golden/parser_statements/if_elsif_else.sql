-- IF with two ELSIF branches chained in order and an ELSE part.
BEGIN
  IF a = 1 THEN
    x := 1;
  ELSIF a = 2 THEN
    x := 2;
  ELSIF a = 3 THEN
    x := 3;
  ELSE
    x := 0;
  END IF;
END;
