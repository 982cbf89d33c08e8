REM Units as a schema export writes them: the edition word between CREATE and the kind of unit.
REM Each is compiled without it, and an error inside still points at the script's own line and column.
SET DEFINE OFF

CREATE OR REPLACE EDITIONABLE PACKAGE stock_pkg AS
  g_reorder_level CONSTANT NUMBER := 25;
  PROCEDURE restock(p_item_id IN NUMBER);
END stock_pkg;
/

CREATE OR REPLACE NONEDITIONABLE PROCEDURE log_stock_event(p_item_id IN NUMBER, p_note IN VARCHAR2) IS
BEGIN
  INSERT INTO stock_events (item_id, note, logged_at) VALUES (p_item_id, p_note, SYSDATE);
END log_stock_event;
/

create editionable function stock_left(p_item_id in number) return number is
  v_qty number;
begin
  select qty into v_qty from stock where item_id = p_item_id;
  return v_qty;
end;
/

-- Only the word right after CREATE [OR REPLACE] is an edition word; here it is a misplaced name.
CREATE OR REPLACE PROCEDURE EDITIONABLE NONEDITIONABLE IS
BEGIN
  NULL;
END;
/
