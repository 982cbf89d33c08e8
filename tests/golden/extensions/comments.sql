-- xcomp: --extend comments
-- Comments end at their first */, as PL/SQL reads them: a '/*' inside one is text (noted), and the
-- star of "/*/" can close it. Banners and commented-out code keep the unit intact.
CREATE OR REPLACE PACKAGE BODY billing_util IS
  /**********************************************************
   * billing_util  /* helpers for invoice numbering
   **********************************************************/
  FUNCTION next_no (p_prefix IN VARCHAR2) RETURN VARCHAR2 IS
    l_no NUMBER;
  BEGIN
    SELECT invoice_seq.NEXTVAL INTO l_no FROM dual;
    /* was: /*/ RETURN p_prefix || TO_CHAR(l_no);
  END next_no;
END billing_util;
/
