-- The request ends inside a block.
BEGIN
  NULL;
