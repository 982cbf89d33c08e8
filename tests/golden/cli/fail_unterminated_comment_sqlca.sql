-- xcomp: --json
-- The report of a comment left open after a nested one closed reaches the SQLCA: its code, state and
-- the line where the outer comment opened.
BEGIN
  /* outer
     /* inner */
  NULL;
END;
