-- xcomp: --no-line-markers
-- A procedure declared in a block is written inside the enclosing statement as DECLARE PROCEDURE, its
-- body ending with "END;"; its label takes the next number of the shared counter.
CREATE PROCEDURE outer_p
IS
  PROCEDURE inner_p (v IN INTEGER) IS BEGIN NULL; END;
BEGIN
  inner_p(1);
END;
