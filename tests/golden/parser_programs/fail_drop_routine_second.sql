-- xcomp: --raw
-- DROP FUNCTION and DROP PROCEDURE give no statement but are programs all the same: beside another
-- program in one request, before or after it, they are the second program every other one is.
CREATE OR REPLACE FUNCTION next_invoice_no RETURN NUMBER IS
BEGIN
  RETURN invoice_seq.NEXTVAL;
END;
DROP FUNCTION next_invoice_no;
/
DROP PROCEDURE purge_old_invoices;
CREATE OR REPLACE PROCEDURE purge_old_invoices (p_days IN NUMBER) IS
BEGIN
  DELETE FROM invoices WHERE issued_on < SYSDATE - p_days;
END;
/
DROP PROCEDURE archive_invoices;
DROP FUNCTION invoice_total;
