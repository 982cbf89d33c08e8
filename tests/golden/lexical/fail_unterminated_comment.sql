-- A comment still open at the end of the request is reported at the line where it opened.
BEGIN
  NULL;
  /* never closed
END;
