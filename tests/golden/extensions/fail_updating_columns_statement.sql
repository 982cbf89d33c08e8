-- xcomp: --extend updating-columns
-- A statement trigger has no rows to compare: UPDATING('column') there is refused, saying why.
CREATE OR REPLACE TRIGGER orders_au AFTER UPDATE ON orders
BEGIN
  IF UPDATING('STATUS') THEN
    INSERT INTO order_events (kind) VALUES ('status');
  END IF;
END;
/
