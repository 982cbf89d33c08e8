-- xcomp: --json
-- Schema-level CREATE TYPE, one statement of domain SQLEXC_TYPE each: an object type becomes a row
-- type, a nested table an array indexed by INTEGER, a varray an array bounded by its limit. A nested
-- table type may end the request without its semicolon.
CREATE OR REPLACE TYPE money_amount AS OBJECT (
  amount   NUMBER(12,2),
  currency CHAR(3)
);
/
CREATE TYPE id_list AS TABLE OF NUMBER;
/
CREATE OR REPLACE TYPE name_list IS TABLE OF VARCHAR2(100)
/
CREATE TYPE top_three IS VARRAY(3) OF NUMBER(10);
