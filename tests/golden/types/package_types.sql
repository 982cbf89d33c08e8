-- xcomp: --json
-- A type declared in a package is a module member of its own, of domain SQLEXC_TYPE: PUBLISH TYPE
-- from the head, ADD TYPE from the body, with the same definitions as in a block.
CREATE OR REPLACE PACKAGE hr_types AS
  TYPE address IS RECORD (street VARCHAR2(80), city VARCHAR2(40), zip CHAR(5));
  TYPE address_list IS TABLE OF address INDEX BY PLS_INTEGER;
  TYPE phone_numbers IS VARRAY(3) OF VARCHAR2(20);
  SUBTYPE rating IS PLS_INTEGER RANGE 1 .. 5;
END hr_types;
/
CREATE OR REPLACE PACKAGE BODY hr_types AS
  TYPE cache IS TABLE OF VARCHAR2(200) INDEX BY VARCHAR2(40);
  SUBTYPE flag IS CHAR(1) NOT NULL;
END hr_types;
