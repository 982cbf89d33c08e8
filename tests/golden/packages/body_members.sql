-- A package body: COMMENT ON MODULE marks the module as having a body, then one ADD per member in
-- the order declarations, forward declarations, routines, and SYS_INIT (the initialization section)
-- last; every member is indented one level. OR REPLACE drops the old body first. A module variable's
-- default stays on the variable in parentheses, whatever its expression.
CREATE OR REPLACE PACKAGE BODY inventory AS
  g_calls PLS_INTEGER := 0;
  g_started DATE := SYSDATE;
  g_limit NUMBER := reorder_level * 2 + 1;
  PROCEDURE log_call (p_what IN VARCHAR2);
  PROCEDURE restock (p_sku IN VARCHAR2, p_qty IN NUMBER DEFAULT 1) IS
  BEGIN
    UPDATE items SET qty = qty + p_qty WHERE sku = p_sku;
    log_call('restock');
  END restock;
  FUNCTION on_hand (p_sku IN VARCHAR2) RETURN NUMBER IS
    v_qty NUMBER;
  BEGIN
    SELECT qty INTO v_qty FROM items WHERE sku = p_sku;
    RETURN v_qty;
  END on_hand;
  PROCEDURE log_call (p_what IN VARCHAR2) IS
  BEGIN
    g_calls := g_calls + 1;
    INSERT INTO call_log (what, at) VALUES (p_what, SYSDATE);
  END log_call;
BEGIN
  g_calls := 0;
  g_started := SYSDATE;
END inventory;
