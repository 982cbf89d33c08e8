-- FORALL over INDICES OF a (possibly sparse) collection steps through the indices in use; VALUES OF
-- walks an index collection with a generated position and gives the loop variable each value.
CREATE OR REPLACE PROCEDURE apply_price_changes (p_ids IN id_list, p_prices IN price_list, p_pick IN id_list)
IS
BEGIN
  FORALL i IN INDICES OF p_ids
    UPDATE products SET price = p_prices(i) WHERE product_id = p_ids(i);
  FORALL j IN VALUES OF p_pick
    INSERT INTO price_audit (product_id, changed_at) VALUES (p_ids(j), CURRENT_TIMESTAMP);
END;
