-- A string literal still open at the end of the request.
BEGIN
  x := 'open
END;
