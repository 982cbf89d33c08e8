-- A subtype's RANGE becomes a CHECK on VALUE: the bounds are written token by token as they came, with
-- no blanks between their tokens (a signed number is one token, an expression is not), and the ".."
-- between them becomes the upper comparison; the CHECK keeps its trailing blank.
CREATE OR REPLACE PACKAGE tolerances AS
  SUBTYPE offset_mm IS PLS_INTEGER RANGE -5 .. 5;
  SUBTYPE batch_size IS NUMBER RANGE 1 .. max_batch + 1 NOT NULL;
END tolerances;
