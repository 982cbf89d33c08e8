-- xcomp: --no-line-markers
-- Attribute lines of a standalone procedure in their fixed order (READS SQL DATA, then AUTONOMOUS, then
-- LANGUAGE SQL); the body's forward declarations of a package as ADD members, a DETERMINISTIC one
-- indented like every body member; UPDATE ... RETURNING read from the NEW TABLE of the update.
CREATE OR REPLACE PROCEDURE archive_orders (p_before IN DATE)
  READS SQL DATA
IS
  PRAGMA AUTONOMOUS_TRANSACTION;
BEGIN
  DELETE FROM orders WHERE placed_on < p_before;
  COMMIT;
END archive_orders;
/
CREATE OR REPLACE PACKAGE BODY pricing AS
  FUNCTION list_price (p_sku IN VARCHAR2) RETURN NUMBER DETERMINISTIC;
  FUNCTION price_rows RETURN price_tab PIPELINED;

  PROCEDURE reprice (p_sku IN VARCHAR2, p_new OUT NUMBER) IS
  BEGIN
    UPDATE prices SET amount = list_price(p_sku) * 1.1
     WHERE sku = p_sku
    RETURNING amount INTO p_new;
  END reprice;

  FUNCTION list_price (p_sku IN VARCHAR2) RETURN NUMBER DETERMINISTIC IS
  BEGIN
    RETURN 10;
  END list_price;

  FUNCTION price_rows RETURN price_tab PIPELINED IS
  BEGIN
    PIPE ROW (list_price('A1'));
    RETURN;
  END price_rows;
END pricing;
/
