-- A missing ';' before END: the one token the state accepts is named in the message and the list.
CREATE PROCEDURE p IS
BEGIN
  RAISE e
END;
