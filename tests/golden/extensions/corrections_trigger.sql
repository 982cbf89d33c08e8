-- xcomp: --extend corrections
-- A statement trigger and a row trigger whose BEGIN is on the line after the head: the default writes the
-- body's line marker at the end of the head line; the correction ends the head's line first, so the body
-- starts on its own source line with no marker in the head.
CREATE OR REPLACE TRIGGER orders_audit AFTER INSERT ON orders
BEGIN
  INSERT INTO audit_log (what, at) VALUES ('orders changed', SYSDATE);
END;
/
CREATE OR REPLACE TRIGGER orders_stamp BEFORE UPDATE ON orders FOR EACH ROW
BEGIN
  :NEW.updated_at := SYSDATE;
END;
/
