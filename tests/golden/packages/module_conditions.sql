-- Exceptions of a package are module conditions, each a statement of its own of domain
-- SQLEXC_CONDITION: PUBLISH from the head, ADD from the body. One bound to an error number names only
-- the first of its SQLSTATEs (-2292 maps to two); one bound to a SQLSTATE string names it without the
-- string's quotes; one bound to nothing has no FOR SQLSTATE part. The pragma declares nothing itself.
CREATE OR REPLACE PACKAGE order_errors AS
  child_rows_exist EXCEPTION;
  PRAGMA EXCEPTION_INIT(child_rows_exist, -2292);
  order_not_found EXCEPTION;
  bad_status EXCEPTION;
  PRAGMA NUV_EXCEPTION_INIT(bad_status, '75002');
END order_errors;
/
CREATE PACKAGE BODY order_errors AS
  credit_exceeded EXCEPTION;
  PRAGMA EXCEPTION_INIT(credit_exceeded, -20050);
  nothing_to_ship EXCEPTION;
  PROCEDURE cancel_order (p_id IN NUMBER) IS
  BEGIN
    DELETE FROM orders WHERE id = p_id;
  END cancel_order;
END order_errors;
