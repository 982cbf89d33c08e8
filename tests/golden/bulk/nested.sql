-- Bulk and dynamic constructs inside each other: a FORALL with a dynamic body inside a FOR inside a
-- loop around a bulk fetch, and a bulk select inside a nested block. Each generated block nests where
-- its statement stood and every generated name is distinct.
CREATE OR REPLACE PROCEDURE sync_partitions (p_tables IN name_list)
IS
  CURSOR c_parts IS SELECT partition_id FROM partitions WHERE active = 1;
  l_parts id_list;
BEGIN
  OPEN c_parts;
  LOOP
    FETCH c_parts BULK COLLECT INTO l_parts LIMIT 100;
    EXIT WHEN l_parts.COUNT = 0;
    FOR t IN 1 .. 3 LOOP
      FORALL k IN INDICES OF l_parts
        EXECUTE IMMEDIATE 'DELETE FROM ' || p_tables(t) || ' WHERE partition_id = :1' USING l_parts(k);
      DECLARE
        l_rows id_list;
      BEGIN
        SELECT row_id BULK COLLECT INTO l_rows FROM sync_log WHERE table_no = t;
        FORALL r IN VALUES OF l_rows
          EXECUTE IMMEDIATE 'UPDATE sync_log SET done = 1 WHERE row_id = :1' USING r;
      END;
    END LOOP;
  END LOOP;
  CLOSE c_parts;
END;
