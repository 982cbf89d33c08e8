-- xcomp: --set "define off" --set "sqlblanklines on" --no-line-markers
-- Presets apply before the first line: with DEFINE OFF the '&' in the first block is text, and blank
-- lines do not end a statement. ACCEPT ... DEFAULT gives a variable its default when it has none, and
-- a WITH FUNCTION query runs to its '/' line as one statement, its inner ';' included.
BEGIN
  DBMS_OUTPUT.PUT_LINE('Tom & Jerry');
END;
/

UPDATE accounts

  SET status = 'open';

SET DEFINE ON
ACCEPT region CHAR DEFAULT 'EMEA' PROMPT 'Region: '
ACCEPT owner DEFAULT scott
DEFINE owner = billing
ACCEPT owner DEFAULT scott
CREATE OR REPLACE VIEW &owner..regional_sales AS SELECT * FROM sales WHERE region = '&region';

WITH
  FUNCTION net_of(p_amount NUMBER) RETURN NUMBER IS
  BEGIN
    RETURN p_amount * 0.8;
  END;
SELECT net_of(amount) FROM sales;
/
SELECT * FROM sales WHERE region = '&unknown';
