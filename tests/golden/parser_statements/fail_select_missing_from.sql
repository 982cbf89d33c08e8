-- SELECT ... FROM with nothing after FROM.
BEGIN
  SELECT a INTO x FROM;
END;
