-- SELECT with nothing before INTO.
BEGIN
  SELECT INTO x FROM t;
END;
