-- A labelled SELECT ... BULK COLLECT and a labelled OPEN ... FOR a query: each label stands once, at the
-- start of the statement, in front of what replaces it (the generated block, the cursor assignment),
-- which then starts itself as it would anywhere else.
CREATE OR REPLACE PROCEDURE refresh_overdue (p_days IN PLS_INTEGER, p_out OUT SYS_REFCURSOR)
IS
  l_ids id_list;
BEGIN
  <<collect_overdue>>
  SELECT invoice_id BULK COLLECT INTO l_ids FROM invoices WHERE due_date < CURRENT_DATE - p_days;
  IF l_ids.COUNT = 0 THEN
    RETURN;
  END IF;
  <<hand_back>>
  OPEN p_out FOR SELECT invoice_id, due_date FROM invoices WHERE due_date < CURRENT_DATE - p_days;
END refresh_overdue;
