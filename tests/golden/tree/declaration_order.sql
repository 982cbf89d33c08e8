-- xcomp: --print-tree
-- Declarations are held in three groups, each in source order: types, then variables and cursors,
-- then everything else; so a, t, b, c, u, cur, s give t, u, s, a, c, cur, b.
DECLARE
  a NUMBER;
  TYPE t IS RECORD (f1 NUMBER, f2 VARCHAR2(10));
  b EXCEPTION;
  c NUMBER;
  TYPE u IS TABLE OF t;
  CURSOR cur IS SELECT 1 FROM dual;
  SUBTYPE s IS NUMBER;
  PRAGMA AUTONOMOUS_TRANSACTION;
BEGIN
  NULL;
END;
