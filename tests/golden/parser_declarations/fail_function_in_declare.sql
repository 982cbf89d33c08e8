-- Only procedures may be declared in a block's declaration section; functions belong to packages.
DECLARE
  FUNCTION twice (n NUMBER) RETURN NUMBER IS BEGIN RETURN n * 2; END;
BEGIN
  NULL;
END;
