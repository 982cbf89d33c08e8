-- A package head and its body with no "/" between them are two programs in one request, which a
-- request may not hold: a syntax error once the second program is read, and nothing is written.
CREATE PACKAGE counters AS
  PROCEDURE bump;
END counters;
CREATE PACKAGE BODY counters AS
  PROCEDURE bump IS BEGIN NULL; END;
END counters;
