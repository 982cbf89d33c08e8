-- A character the grammar does not know reaches the parser as $undefined.
BEGIN
  NULL;
END; ~
