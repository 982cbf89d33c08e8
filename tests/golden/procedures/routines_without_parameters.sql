-- xcomp: --no-line-markers
-- A procedure without parameters has no parentheses; a function without them gets "()". PIPELINED
-- makes the return a table element and DETERMINISTIC becomes its own line.
CREATE PROCEDURE noargs IS BEGIN NULL; END;
/
CREATE FUNCTION f RETURN NUMBER PIPELINED DETERMINISTIC IS BEGIN RETURN 1; END;
