-- An empty statement part stands for one NULL statement at the line that follows.
BEGIN
EXCEPTION
  WHEN OTHERS THEN
END;
