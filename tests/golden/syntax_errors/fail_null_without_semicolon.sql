-- NULL may also name a variable, so a NULL statement without its ';' is reported where the
-- assignment's := was due.
BEGIN
  NULL
END;
