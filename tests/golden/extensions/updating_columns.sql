-- xcomp: --extend updating-columns
-- UPDATING('column') in row triggers: tested as a change of the column's value between the old and the
-- new row (the trigger gets the REFERENCING entries it needs), warned about since PL/SQL's test is
-- whether the UPDATE sets the column at all; in a trigger that never fires for an UPDATE it is false.
CREATE OR REPLACE TRIGGER orders_status_bu BEFORE INSERT OR UPDATE ON orders FOR EACH ROW
BEGIN
  IF UPDATING('STATUS') OR UPDATING ( 'amount' ) THEN
    :NEW.changed_on := SYSDATE;
  END IF;
END;
/
CREATE OR REPLACE TRIGGER orders_bi BEFORE INSERT ON orders FOR EACH ROW
BEGIN
  IF NOT UPDATING('STATUS') THEN
    :NEW.status := 'NEW';
  END IF;
END;
/
