-- SELECT ... BULK COLLECT INTO: the query without its INTO becomes a generated cursor, opened and read
-- by the bulk fetch loop. WITH parts and joins stay with the query.
CREATE OR REPLACE FUNCTION overdue_count (p_region IN VARCHAR2) RETURN PLS_INTEGER
IS
  l_ids    id_list;
  l_totals amount_list;
BEGIN
  SELECT invoice_id
    BULK COLLECT INTO l_ids
    FROM invoices
   WHERE region = p_region AND due_date < CURRENT_DATE;
  WITH open_items AS (SELECT invoice_id, SUM(amount) AS total FROM invoice_lines GROUP BY invoice_id)
  SELECT i.invoice_id, o.total BULK COLLECT INTO l_ids, l_totals
    FROM invoices i JOIN open_items o ON o.invoice_id = i.invoice_id;
  RETURN 0;
END;
