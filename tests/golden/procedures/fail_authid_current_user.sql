-- xcomp: --no-line-markers
-- AUTHID CURRENT_USER has no host equivalent: the statement is written, and the request fails on the
-- recorded error.
CREATE PROCEDURE invoker AUTHID CURRENT_USER IS BEGIN NULL; END;
