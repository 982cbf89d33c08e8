-- A datatype whose parentheses are still open at the end of the request.
DECLARE
  x NUMBER(5,