-- A comment left open at the end of the input is reported where the outermost comment opened, also
-- after a comment nested in it has closed; the units after the '/' are still compiled.
CREATE OR REPLACE PROCEDURE tidy IS
BEGIN
  NULL; /* disabled for now:
  /* the old cleanup */
  DELETE FROM pay_audit;
END tidy;
/
BEGIN
  NULL;
END;
/
