SET DEFINE ON
CREATE OR REPLACE TYPE invoice_line AS OBJECT (
  item_code VARCHAR2(20),
  amount    NUMBER
);
/
