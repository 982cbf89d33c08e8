-- Collection methods called as statements become host array built-ins and subscripted assignments:
-- DELETE with and without arguments, TRIM with and without a count, EXTEND with no argument, a count,
-- and a count with the element to copy. The collection is everything before the last dot outside
-- double quotes; a quoted name with a dot in it is not split, and other methods stay calls.
CREATE OR REPLACE PROCEDURE reshape_lists (p_keep IN PLS_INTEGER)
IS
  l_ids    id_list;
  l_names  name_list;
BEGIN
  l_ids.EXTEND;
  l_ids(1) := 100;
  l_ids.extend(p_keep);
  l_ids.EXTEND(3, 1);
  l_ids.TRIM;
  l_ids.trim(2);
  l_ids.DELETE(2);
  l_ids.DELETE(1, p_keep);
  l_names.DELETE;
  app_state.cache.entries.EXTEND;
  "odd.name".DELETE;
  "odd.name";
  audit_pkg.log_event('reshaped');
END reshape_lists;
