-- xcomp: --print-tree
-- TABLE OF without INDEX BY is indexed by INTEGER; INDEX BY keeps its datatype.
DECLARE
  TYPE nums IS TABLE OF NUMBER;
  TYPE names AS TABLE OF VARCHAR2(30) INDEX BY VARCHAR2(10);
  TYPE list IS VARRAY(5) OF NUMBER;
BEGIN
  NULL;
END;
