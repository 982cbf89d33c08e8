CREATE OR REPLACE PACKAGE BODY invoice_api AS
  PROCEDURE add_note(p_id IN NUMBER, p_note IN VARCHAR2) IS
  BEGIN
    UPDATE invoices SET note = p_note WHERE id = p_id;
  END add_note;

  FUNCTION total_of(p_id IN NUMBER) RETURN NUMBER IS
    v_total NUMBER;
  BEGIN
    SELECT total INTO v_total FROM invoices WHERE id = p_id;
    v_total := ;  -- reported in this file, at its own line
    RETURN v_total;
  END total_of;
END invoice_api;
/
