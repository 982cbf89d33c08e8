-- "END name;" closing a nested block is END followed by a call of name: it compiles, with a warning.
-- A routine's END may name the routine, and a CASE expression's END closes no block: no warning.
CREATE OR REPLACE PROCEDURE rebuild_bands IS
  v_count NUMBER;
BEGIN
  <<purge>>
  BEGIN
    DELETE FROM pay_audit;
  END purge;
  v_count := CASE WHEN v_count > 0 THEN 1 ELSE 0 END;
END rebuild_bands;
/
