-- xcomp: --print-tree
-- REF CURSOR types, weak and strong, and a SUBTYPE with a RANGE and NOT NULL.
DECLARE
  TYPE weak IS REF CURSOR;
  TYPE strong IS REF CURSOR RETURN emp%ROWTYPE;
  SUBTYPE small IS NUMBER RANGE -9 .. 9 NOT NULL;
BEGIN
  NULL;
END;
