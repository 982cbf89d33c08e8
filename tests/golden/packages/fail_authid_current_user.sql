-- xcomp: --json
-- AUTHID CURRENT_USER on a package head has no module equivalent: every statement is still written
-- (the JSON shows them) and the request fails with the reason; AUTHID DEFINER is accepted silently.
CREATE PACKAGE invoker_rights AUTHID CURRENT_USER AS
  PROCEDURE run;
END;
/
CREATE PACKAGE definer_rights AUTHID DEFINER AS
  PROCEDURE run;
END;
