-- billing schema: tables first, then the code that uses them
CREATE TABLE invoices (id NUMBER PRIMARY KEY, total NUMBER, note VARCHAR2(200));

@@types
@@body/invoice_api.pkb
