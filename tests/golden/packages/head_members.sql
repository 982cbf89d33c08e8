-- A package head becomes CREATE MODULE and one PUBLISH per member, each its own statement: variables
-- (defaults in parentheses, constants, anchored types), a cursor with a parameter, REF CURSOR types,
-- and the routine prototypes, overloads included. Declarations come out before the prototypes.
CREATE OR REPLACE PACKAGE inventory AS
  default_warehouse CONSTANT VARCHAR2(10) := 'MAIN';
  reorder_level NUMBER := 25;
  last_sku items.sku%TYPE;
  current_item items%ROWTYPE;
  CURSOR low_stock (p_level NUMBER) IS
    SELECT sku, qty FROM items WHERE qty < p_level ORDER BY qty;
  TYPE item_cursor IS REF CURSOR RETURN items%ROWTYPE;
  TYPE any_cursor IS REF CURSOR;
  PROCEDURE restock (p_sku IN VARCHAR2, p_qty IN NUMBER DEFAULT 1);
  PROCEDURE restock (p_sku IN VARCHAR2);
  FUNCTION on_hand (p_sku IN VARCHAR2) RETURN NUMBER;
  FUNCTION warehouse_count RETURN PLS_INTEGER DETERMINISTIC;
END inventory;
