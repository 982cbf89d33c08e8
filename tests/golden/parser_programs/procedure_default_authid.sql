-- No AUTHID clause means definer's rights (authid 1); no parentheses means no argument list.
CREATE PROCEDURE p AS
BEGIN
  NULL;
END;
