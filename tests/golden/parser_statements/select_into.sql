-- SELECT INTO with a WITH part, BULK COLLECT, and a comment before the ';' kept at the end.
BEGIN
  WITH q AS (SELECT a FROM t) SELECT a, b BULK COLLECT INTO x, y FROM q WHERE a > 0 /* all */;
  SELECT COUNT(*) INTO n FROM t;
  UPDATE t SET a = 1 /* why */;
END;
