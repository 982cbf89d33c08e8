-- EXTEND takes a single constant or variable as its count and as the element to copy; an expression,
-- a signed number or a third argument cannot be placed into the generated loop.
CREATE PROCEDURE grow (n IN PLS_INTEGER)
IS
  l_ids id_list;
BEGIN
  l_ids.EXTEND(n + 1);
  l_ids.EXTEND(-1);
  l_ids.EXTEND(2, 1, 3);
  l_ids.EXTEND(n);
END;
