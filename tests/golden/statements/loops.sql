-- Loops and their exits: a numeric FOR becomes a block that declares the loop variable and its limit
-- around a WHILE; REVERSE counts down; EXIT naming a FOR's label leaves the WHILE that replaced it;
-- CONTINUE in a FOR jumps to the increment; unlabelled loops get generated labels; an EXIT outside every
-- loop leaves NULL. A FORALL over a range is the same counting loop around its statement.
CREATE PROCEDURE loops (n IN INTEGER, total OUT INTEGER)
IS
BEGIN
  total := 0;
  <<outer>>
  FOR i IN 1 .. n LOOP
    FOR j IN REVERSE 1 .. 3 LOOP
      CONTINUE WHEN j = 2;
      EXIT outer WHEN i * j > 20;
      total := total + j;
    END LOOP;
  END LOOP;
  LOOP
    total := total - 1;
    EXIT WHEN total < 5;
  END LOOP;
  WHILE total > 0 LOOP
    CONTINUE WHEN total = 3;
    total := total - 1;
  END LOOP;
  FORALL k IN 1 .. n
    DELETE FROM scratch WHERE id = k;
  EXIT;
END;
