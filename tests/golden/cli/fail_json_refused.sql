-- xcomp: --json --encoding utf-8
-- A file refused whole still has its record: read as UTF-8 only, one byte of Windows-1252 (an accented
-- e below) is not UTF-8, so nothing in the file is read, and the record says where.
CREATE OR REPLACE PROCEDURE greet IS
BEGIN
  -- the café on the corner
  NULL;
END;
/
