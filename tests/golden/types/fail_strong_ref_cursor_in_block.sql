-- A REF CURSOR type with a RETURN type needs a module to hold it; in a routine it is refused, while a
-- weak one there declares nothing (its uses become the host's CURSOR).
CREATE PROCEDURE list_emps IS
  TYPE any_cursor IS REF CURSOR;
  TYPE emp_cursor IS REF CURSOR RETURN employees%ROWTYPE;
  c any_cursor;
BEGIN
  NULL;
END;
