-- The head of a trigger is written on one line, then padded with blank lines down to the line before
-- the body's, so that with a WHEN line closing the gap the body needs no line marker; without WHEN it
-- gets one. A trigger written on one line stays on one line, and blank source lines before BEGIN are
-- padded like clause lines.
CREATE OR REPLACE TRIGGER price_history
  AFTER UPDATE OF list_price
  ON products
  REFERENCING NEW AS new_row OLD AS old_row
  FOR EACH ROW
  WHEN (new_row.list_price <> old_row.list_price)
BEGIN
  INSERT INTO price_log (product_id, old_price, new_price)
  VALUES (:new_row.product_id, :old_row.list_price, :new_row.list_price);
END;
/
CREATE TRIGGER one_line BEFORE INSERT ON t FOR EACH ROW BEGIN :NEW.id := 1; END;
/
CREATE TRIGGER spread
  BEFORE INSERT
  ON t
  FOR EACH ROW


BEGIN
  :NEW.id := 2;
END;
