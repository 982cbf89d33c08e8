-- xcomp: --raw --print-tree
-- DROP FUNCTION and DROP PROCEDURE are accepted and produce no program.
DROP FUNCTION f
/
DROP PROCEDURE p
