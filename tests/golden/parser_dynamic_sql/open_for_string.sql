-- OPEN ... FOR a string keeps the text up to USING and the USING list as text.
BEGIN
  OPEN rc FOR 'SELECT a FROM t WHERE b = :1' USING x;
  OPEN rc FOR stmt /* no binds */;
END;
