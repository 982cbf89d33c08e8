-- xcomp: --extend nested-functions
-- Helper functions declared in a procedure, a package body's procedure and a trigger, using only their
-- parameters and names outside the routine: each becomes a function of its own (a private module
-- function in the package) named after its routine, created before it, and every call is renamed.
-- A package body's own member function and a nested procedure stay as they always were.
CREATE OR REPLACE PROCEDURE load_orders (p_batch IN NUMBER) IS
  v_loaded NUMBER := 0;
  FUNCTION clean_code (p_code VARCHAR2) RETURN VARCHAR2 IS
  BEGIN
    RETURN UPPER(TRIM(p_code));
  END clean_code;
  FUNCTION is_valid (p_code VARCHAR2) RETURN BOOLEAN IS
  BEGIN
    RETURN clean_code(p_code) IS NOT NULL;
  END;
BEGIN
  FOR r IN (SELECT code FROM staged_orders WHERE batch_id = p_batch) LOOP
    IF is_valid(r.code) THEN
      INSERT INTO orders (code) VALUES (clean_code(r.code));
      v_loaded := v_loaded + 1;
    END IF;
  END LOOP;
END load_orders;
/
CREATE OR REPLACE PACKAGE BODY billing AS
  g_rate NUMBER := 0.2;
  FUNCTION tax_of (p_amount NUMBER) RETURN NUMBER IS
  BEGIN
    RETURN p_amount * g_rate;
  END;
  PROCEDURE bill (p_customer NUMBER) IS
    FUNCTION rounded (p_value NUMBER) RETURN NUMBER IS
    BEGIN
      RETURN ROUND(p_value, 2);
    END;
    PROCEDURE log_it (p_text VARCHAR2) IS
    BEGIN
      INSERT INTO bill_log (text) VALUES (p_text);
    END;
  BEGIN
    UPDATE invoices SET total = rounded(total + tax_of(total)) WHERE customer_id = p_customer;
    log_it('billed');
  END bill;
END billing;
/
CREATE OR REPLACE TRIGGER orders_bi BEFORE INSERT ON orders FOR EACH ROW
DECLARE
  FUNCTION next_ref RETURN NUMBER IS
    v_ref NUMBER;
  BEGIN
    SELECT order_ref_seq.NEXTVAL INTO v_ref FROM dual;
    RETURN v_ref;
  END;
BEGIN
  :NEW.ref := next_ref;
END;
/
