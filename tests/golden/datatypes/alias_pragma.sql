-- xcomp: --no-line-markers --allow-multiple --raw
-- An alias pragma renames an anchored type for the declarations that come after it in the request:
-- the program before it keeps the anchor, the anchor is matched ignoring case, another anchor is
-- left alone, and a plain type named by an alias is still mapped by the session's map.
CREATE PROCEDURE before_alias (amount IN payments.amount%TYPE) IS
BEGIN
  NULL;
END;
PRAGMA ALIAS payments.amount%TYPE := 'DECIMAL(15,2)';
PRAGMA ALIAS VARCHAR2 := 'VARGRAPHIC';
CREATE PROCEDURE after_alias (amount IN PAYMENTS.AMOUNT%type, memo IN VARCHAR2) IS
  paid payments.amount%TYPE;
  payer payments.payer_id%TYPE;
  row_copy payments%ROWTYPE;
BEGIN
  paid := amount;
END;
