-- xcomp: --json
-- One JSON object per request: a good one, a syntax error, a lexical error, an unterminated string.
CREATE PROCEDURE ok_proc IS BEGIN NULL; END;
/
BEGIN
  IF x THEN NULL; END;
END;
/
BEGIN
  x := 1 ` 2;
END;
/
BEGIN x := 'never closed; END;
