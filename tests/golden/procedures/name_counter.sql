-- One counter per request numbers every generated name: the outer body takes 1, each nested procedure
-- body the next number, and loop labels generated in between use numbers of the same counter.
CREATE OR REPLACE PROCEDURE counted (n IN INTEGER)
IS
  PROCEDURE first_step IS
  BEGIN
    LOOP
      EXIT;
    END LOOP;
  END;
  PROCEDURE second_step IS
  BEGIN
    WHILE n > 0 LOOP
      EXIT;
    END LOOP;
  END;
BEGIN
  first_step;
  second_step;
  LOOP
    EXIT WHEN n > 0;
  END LOOP;
END;
