-- xcomp: --allow-multiple --print-tree
-- With several programs allowed, one request may hold two.
BEGIN NULL; END;
CREATE PROCEDURE p IS BEGIN NULL; END;
