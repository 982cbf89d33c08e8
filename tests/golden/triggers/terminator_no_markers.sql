-- xcomp: --raw --terminator @ --no-line-markers
-- Without line markers the head is still padded towards the body's line, and the body's END carries
-- the session's terminator.
CREATE OR REPLACE TRIGGER stamp_rows
  BEFORE INSERT OR UPDATE ON documents
  FOR EACH ROW
BEGIN
  :NEW.modified_at := SYSDATE;
  :NEW.modified_by := USER;
END;
