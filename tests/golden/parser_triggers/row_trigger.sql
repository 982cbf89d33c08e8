-- A row trigger: timing, the event bits, UPDATE OF columns, REFERENCING names and the WHEN condition.
CREATE OR REPLACE TRIGGER trg
  BEFORE INSERT OR UPDATE OF a, b OR DELETE ON app.tab
  REFERENCING NEW AS n OLD AS o
  FOR EACH ROW
  WHEN (n.a > 0)
BEGIN
  :n.b := :o.b + 1;
  IF INSERTING OR UPDATING THEN NULL; END IF;
END trg;
