-- A datatype that runs into the end of the request is missing.
DECLARE
  x NUMBER