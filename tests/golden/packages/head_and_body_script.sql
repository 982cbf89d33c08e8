-- A script with a package head and its body, each a request of its own: both translate, and the
-- body's line markers count from its own first line. A body whose head is not in the script
-- translates the same way.
CREATE OR REPLACE PACKAGE counters AS
  hits NUMBER := 0;
  PROCEDURE bump;
END counters;
/
CREATE OR REPLACE PACKAGE BODY counters AS
  PROCEDURE bump IS
  BEGIN
    hits := hits + 1;
  END bump;
END counters;
/
CREATE PACKAGE BODY orphan AS
  FUNCTION answer RETURN NUMBER IS BEGIN RETURN 42; END;
END orphan;
