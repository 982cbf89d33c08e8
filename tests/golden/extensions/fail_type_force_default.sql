-- Without --extend type-force, FORCE after a type's name is a syntax error.
CREATE OR REPLACE TYPE phone_t FORCE AS OBJECT (
  kind   VARCHAR2(10),
  number VARCHAR2(20)
);
/
