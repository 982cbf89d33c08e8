-- Without --extend error-map, EXCEPTION_INIT with a number outside the built-in map is refused; when
-- the extended table knows the number, the error says what the extension would bind.
CREATE OR REPLACE PROCEDURE save_contact (p_email IN VARCHAR2) IS
  e_missing EXCEPTION;
  PRAGMA EXCEPTION_INIT(e_missing, -1400);
  e_odd EXCEPTION;
  PRAGMA EXCEPTION_INIT(e_odd, -38029);
BEGIN
  INSERT INTO contacts (email) VALUES (p_email);
EXCEPTION
  WHEN e_missing OR e_odd THEN NULL;
END;
/
