-- xcomp: --raw --no-line-markers
-- --raw gives every text between '/' lines to the compiler as an engine would get it, REM lines and
-- plain SQL included.
REM   raw reading
BEGIN
  NULL;
END;
/
COMMIT;
/
BEGIN
  NULL;
END;
