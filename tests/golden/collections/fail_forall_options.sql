-- SAVE EXCEPTIONS and INDICES OF ... BETWEEN have no host form; each is recorded at its FORALL rather
-- than being written into the loop's bounds.
CREATE PROCEDURE load_ids (p_ids IN id_list, n IN PLS_INTEGER)
IS
BEGIN
  FORALL i IN 1 .. n SAVE EXCEPTIONS
    INSERT INTO staged_ids (id) VALUES (p_ids(i));
  FORALL i IN INDICES OF p_ids BETWEEN 1 AND n
    DELETE FROM staged_ids WHERE id = p_ids(i);
END;
