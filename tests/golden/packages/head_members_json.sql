-- xcomp: --json
-- The same kinds of package head member as head_members.sql, to show each statement's domain in
-- order: CREATE_MODULE first, then VARIABLE for variables and cursors, TYPE for REF CURSOR types,
-- PROCEDURE and FUNCTION for the prototypes.
CREATE PACKAGE inventory AS
  reorder_level NUMBER := 25;
  CURSOR low_stock IS SELECT sku FROM items WHERE qty < 5;
  TYPE any_cursor IS REF CURSOR;
  PROCEDURE restock (p_sku IN VARCHAR2);
  FUNCTION on_hand (p_sku IN VARCHAR2) RETURN NUMBER;
END;
