-- A line holding only '/' inside a comment that closes later is comment text, with a warning that
-- SQL*Plus would end the unit there; inside a literal it ends the unit, as in SQL*Plus, and the
-- literal is reported open. The next unit is read as usual.
CREATE OR REPLACE PROCEDURE archive IS
BEGIN
  /* the 2.x version ran as a separate script:
/
  */
  NULL;
END archive;
/
BEGIN
  DBMS_OUTPUT.PUT_LINE('it's done');
END;
/
BEGIN
  NULL;
END;
/
