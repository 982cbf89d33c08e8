-- NULL may also name a variable, but the error is reported in the state that read END, right
-- after NULL, where only the statement's ';' is listed.
BEGIN
  NULL
END;
