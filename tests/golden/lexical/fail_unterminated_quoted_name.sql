-- A quoted identifier that never closes.
BEGIN
  "abc := 1;
END;
