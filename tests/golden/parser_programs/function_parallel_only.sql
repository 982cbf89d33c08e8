-- The datatype reader does not stop at PARALLEL_ENABLE: right after RETURN it stays in the return
-- type's text, and DETERMINISTIC after it is the only option.
CREATE FUNCTION g RETURN NUMBER PARALLEL_ENABLE DETERMINISTIC IS
BEGIN
  RETURN 1;
END;
