-- A batch loader: the source is read a thousand rows at a time with BULK COLLECT ... LIMIT inside a
-- loop, and each batch is written with one FORALL INSERT before the next is fetched.
CREATE OR REPLACE PROCEDURE load_customers (p_batch_id IN NUMBER)
IS
  CURSOR c_src IS
    SELECT customer_id, full_name
      FROM staging_customers
     WHERE batch_id = p_batch_id
     ORDER BY customer_id;
  l_ids    id_list;
  l_names  name_list;
  l_loaded PLS_INTEGER := 0;
BEGIN
  OPEN c_src;
  LOOP
    FETCH c_src BULK COLLECT INTO l_ids, l_names LIMIT 1000;
    EXIT WHEN l_ids.COUNT = 0;
    FORALL i IN 1 .. l_ids.COUNT
      INSERT INTO customers (customer_id, full_name, loaded_by)
      VALUES (l_ids(i), l_names(i), p_batch_id);
    l_loaded := l_loaded + l_ids.COUNT;
    COMMIT;
  END LOOP;
  CLOSE c_src;
  UPDATE load_batches SET rows_loaded = l_loaded WHERE batch_id = p_batch_id;
END load_customers;
