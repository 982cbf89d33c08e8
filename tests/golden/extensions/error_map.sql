-- xcomp: --extend error-map
-- EXCEPTION_INIT with numbers the built-in map lacks binds the host SQLSTATE of the same condition from
-- the extended table, each noted; numbers the built-in map has are bound as always.
CREATE OR REPLACE PACKAGE BODY orders_api IS
  e_missing_value EXCEPTION;
  PRAGMA EXCEPTION_INIT(e_missing_value, -1400);
  e_bad_status EXCEPTION;
  PRAGMA EXCEPTION_INIT(e_bad_status, -2290);
  e_too_long EXCEPTION;
  PRAGMA EXCEPTION_INIT(e_too_long, -12899);
  e_no_parent EXCEPTION;
  PRAGMA EXCEPTION_INIT(e_no_parent, -2291);

  PROCEDURE add_order (p_customer IN NUMBER, p_status IN VARCHAR2) IS
  BEGIN
    INSERT INTO orders (customer_id, status) VALUES (p_customer, p_status);
  EXCEPTION
    WHEN e_missing_value OR e_too_long THEN
      RAISE_APPLICATION_ERROR(-20010, 'order fields are missing or too long');
    WHEN e_bad_status THEN
      RAISE_APPLICATION_ERROR(-20011, 'unknown status ' || p_status);
    WHEN e_no_parent THEN
      RAISE_APPLICATION_ERROR(-20012, 'no such customer');
  END add_order;
END orders_api;
/
CREATE OR REPLACE PROCEDURE drop_type_if_there (p_name IN VARCHAR2) IS
  e_not_there EXCEPTION;
  PRAGMA EXCEPTION_INIT(e_not_there, -4043);
BEGIN
  EXECUTE IMMEDIATE 'DROP TYPE ' || p_name;
EXCEPTION
  WHEN e_not_there THEN NULL;
END;
/
