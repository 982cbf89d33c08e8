-- An assignment without a value records "Missing expression" and the parse goes on to END.
BEGIN
  x := ;
END;
