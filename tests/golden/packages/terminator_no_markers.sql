-- xcomp: --raw --terminator @ --no-line-markers
-- Every statement of a package ends with the session's terminator, so a script runner can cut them
-- apart; the procedure bodies end their END with it too.
CREATE OR REPLACE PACKAGE tally AS
  total NUMBER := 0;
  PROCEDURE add_one;
END;
/
CREATE OR REPLACE PACKAGE BODY tally AS
  PROCEDURE add_one IS
  BEGIN
    total := total + 1;
  END;
BEGIN
  total := 10;
END;
