-- xcomp: --no-line-markers --verbose
-- An install tree as SQL*Plus runs it: @@ names a script beside the running one, @ and START one from
-- the working directory, .sql is added to a name without one, a SET in a script holds for the rest of
-- the session, and every item keeps its own file and lines (the package body is CRLF).
SET DEFINE OFF
PROMPT installing billing
@@install/schema
START install/grants.sql billing_ro
COMMIT;
