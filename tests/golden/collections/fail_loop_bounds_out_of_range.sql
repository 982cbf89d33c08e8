-- A literal loop bound must fit the INTEGER the loop variable becomes: each bound past 2147483647 is a
-- syntax error of its own, in FOR and FORALL alike; 2147483647 itself is accepted.
CREATE PROCEDURE bounds (p_ids IN id_list)
IS
BEGIN
  FOR i IN 2147483647 .. 2147483647 LOOP
    NULL;
  END LOOP;
  FOR i IN REVERSE 3000000000 .. 99999999999999999999 LOOP
    NULL;
  END LOOP;
  FORALL i IN 0 .. 2147483648
    DELETE FROM staged_ids WHERE id = p_ids(i);
END;
