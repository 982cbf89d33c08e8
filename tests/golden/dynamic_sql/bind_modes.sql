-- USING arguments by mode: IN goes to the inputs, OUT to the outputs, IN OUT to both, each list with
-- its own commas; RETURNING INTO targets are outputs too. A dynamic statement without binds stays the
-- host's EXECUTE IMMEDIATE; a label stays on the block that replaces a bound one.
CREATE OR REPLACE PROCEDURE reprice (p_id IN NUMBER, p_factor IN NUMBER, p_price IN OUT NUMBER)
IS
  l_old   NUMBER;
  l_new   NUMBER;
  l_stamp TIMESTAMP;
BEGIN
  EXECUTE IMMEDIATE 'BEGIN pricing.adjust(:id, :factor, :price, :stamp); END;'
    USING IN p_id, p_factor, IN OUT p_price, OUT l_stamp;
  <<apply_price>>
  EXECUTE IMMEDIATE 'UPDATE products SET price = price * :f WHERE product_id = :id RETURNING price INTO :p'
    USING p_factor, p_id
    RETURNING INTO l_new;
  EXECUTE IMMEDIATE 'SELECT price FROM price_history WHERE product_id = :1 AND valid_to IS NULL'
    INTO l_old
    USING p_id;
  EXECUTE IMMEDIATE 'ANALYZE TABLE products COMPUTE STATISTICS';
END reprice;
