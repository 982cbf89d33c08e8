-- xcomp: --json
-- A compound trigger has no host form: one with the FOR timing, with or without the COMPOUND TRIGGER
-- clause, is reported once at the trigger's first line; the statement is still written (the JSON
-- shows it), and never used.
CREATE OR REPLACE TRIGGER orders_compound
  FOR INSERT OR UPDATE ON orders
  COMPOUND TRIGGER
BEGIN
  NULL;
END;
/
CREATE TRIGGER orders_for FOR DELETE ON orders
BEGIN
  NULL;
END;
