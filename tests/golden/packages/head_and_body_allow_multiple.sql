-- xcomp: --allow-multiple --json
-- When a request may hold several programs, a head and its body in one request give all their
-- statements in one result list, head first.
CREATE PACKAGE counters AS
  PROCEDURE bump;
END counters;
CREATE PACKAGE BODY counters AS
  PROCEDURE bump IS BEGIN NULL; END;
END counters;
