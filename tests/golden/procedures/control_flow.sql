-- xcomp: --no-line-markers
-- IF with ELSIF and ELSE, labelled and unlabelled loops with EXIT WHEN and CONTINUE, a labelled NULL:
-- nested statements stay one indent level in, loops without a label get a generated one.
CREATE PROCEDURE flow (x IN OUT INTEGER)
IS
BEGIN
  IF x > 0 THEN
    x := 1;
  ELSIF x < 0 THEN
    x := -1;
  ELSE
    x := 2;
  END IF;
  WHILE x < 10 LOOP
    x := x + 1;
    EXIT WHEN x = 5;
  END LOOP;
  <<outer>>
  LOOP
    CONTINUE WHEN x = 6;
    EXIT outer;
  END LOOP;
  <<done>>
  NULL;
END;
