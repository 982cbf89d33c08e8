-- Calls with and without arguments, indexed assignments with a record field, trigger variables.
BEGIN
  p;
  pkg.proc(1, 'a');
  arr(i) := 5;
  recs(i).name := 'x';
  f(1).col;
  :new.a := 1;
END;
