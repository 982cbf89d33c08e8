-- SELECT INTO with no targets.
BEGIN
  SELECT a INTO FROM t;
END;
