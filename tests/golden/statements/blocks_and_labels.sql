-- Nested blocks keep their labels and end with "END;"; an anonymous block with declarations is a
-- compound statement of its own ending at the terminator; a lone call in an anonymous block is a CALL.
CREATE PROCEDURE nested IS
BEGIN
  <<inner>>
  DECLARE
    x INTEGER := 1;
  BEGIN
    BEGIN
      x := x + 1;
    END;
  END;
END;
/
DECLARE
  n INTEGER := 3;
BEGIN
  work(n);
END;
/
BEGIN
  work(1, 'two');
END;
/
BEGIN
  work;
END;
