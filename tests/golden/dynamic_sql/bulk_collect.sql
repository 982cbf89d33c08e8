-- EXECUTE IMMEDIATE ... BULK COLLECT INTO: the text is prepared, a generated cursor over it is opened
-- with the USING inputs, the bulk fetch loop reads it, and the cursor is closed.
CREATE OR REPLACE PROCEDURE recent_ids (p_table IN VARCHAR2, p_since IN DATE, p_ids OUT id_list)
IS
  l_names name_list;
BEGIN
  EXECUTE IMMEDIATE 'SELECT id FROM ' || p_table || ' WHERE created_at >= :since'
    BULK COLLECT INTO p_ids
    USING p_since;
  EXECUTE IMMEDIATE 'SELECT id, name FROM lookup_values' BULK COLLECT INTO p_ids, l_names;
END recent_ids;
