-- xcomp: --extend type-force,authid
-- CREATE TYPE ... FORCE and AUTHID after a type's name: the options are dropped before the grammar
-- reads the head, each noted (AUTHID as a warning about the rights the type runs with).
CREATE OR REPLACE TYPE address_t FORCE AS OBJECT (
  street  VARCHAR2(80),
  city    VARCHAR2(40),
  zip     VARCHAR2(10)
);
/
CREATE OR REPLACE TYPE address_list_t FORCE AS TABLE OF address_t;
/
CREATE OR REPLACE TYPE money_t AUTHID CURRENT_USER AS OBJECT (
  amount   NUMBER(12,2),
  currency CHAR(3)
);
/
CREATE OR REPLACE PROCEDURE apply_force (force IN NUMBER) IS
  TYPE force_list IS TABLE OF NUMBER;
BEGIN
  UPDATE springs SET load = force WHERE id = 1;
END;
/
