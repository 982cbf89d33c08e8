-- END cannot name a type: the state accepts many tokens, so the message stops after the
-- unexpected token and the list shows the first ten in token-number order.
DECLARE
  TYPE end IS TABLE OF NUMBER;
BEGIN
  NULL;
END;
