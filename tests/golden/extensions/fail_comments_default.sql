-- Without --extend comments, comments nest: the '/*' inside the banner opens a second comment that the
-- banner's */ does not close, and the rest of the unit is comment text.
CREATE OR REPLACE PROCEDURE reset_counter IS
  /* reset_counter  /* called nightly */
BEGIN
  UPDATE counters SET value = 0;
END;
/
