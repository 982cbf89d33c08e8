-- A FOR range that is never ended by LOOP.
BEGIN
  FOR i IN 1 .. 10