-- A batch loop reading SQL%ROWCOUNT after a BULK COLLECT fetch: the generated block sets the count after
-- its loop and, through an OTHERS handler that re-raises, also when the fetch fails; the routine's own
-- handler closes the cursor and re-raises.
CREATE OR REPLACE PROCEDURE load_batch (p_limit IN PLS_INTEGER) IS
  CURSOR c_src IS SELECT id, name FROM staging;
  TYPE id_tab IS TABLE OF NUMBER INDEX BY PLS_INTEGER;
  l_ids id_tab;
  l_names id_tab;
  l_total PLS_INTEGER := 0;
BEGIN
  OPEN c_src;
  LOOP
    FETCH c_src BULK COLLECT INTO l_ids, l_names LIMIT p_limit;
    l_total := l_total + SQL%ROWCOUNT;
    EXIT WHEN l_ids.COUNT = 0;
  END LOOP;
  CLOSE c_src;
EXCEPTION
  WHEN OTHERS THEN
    IF c_src%ISOPEN THEN CLOSE c_src; END IF;
    RAISE;
END load_batch;
