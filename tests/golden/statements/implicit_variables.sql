-- xcomp: --no-line-markers
-- The variables that stand for SQL%ROWCOUNT, SQL%FOUND, SQL%NOTFOUND and SQLERRM outside a handler are
-- declared once, on the routine's body, in that order, after its types, variables and cursors and
-- before its exceptions and nested routines, even when only a nested block or routine reads them.
CREATE PROCEDURE archive_invoices (cutoff IN DATE) IS
  TYPE id_list IS TABLE OF NUMBER INDEX BY PLS_INTEGER;
  moved INTEGER := 0;
  CURSOR stale IS SELECT id FROM invoices WHERE issued < cutoff;
  nothing_to_do EXCEPTION;
  PROCEDURE note (msg IN VARCHAR2) IS
  BEGIN
    INSERT INTO archive_log (text, rows_seen) VALUES (msg, SQL%ROWCOUNT);
  END;
BEGIN
  DELETE FROM invoices WHERE issued < cutoff;
  moved := SQL%ROWCOUNT;
  BEGIN
    UPDATE archive_stats SET runs = runs + 1;
    IF SQL%NOTFOUND THEN
      INSERT INTO archive_stats (runs) VALUES (1);
    ELSIF SQL%FOUND THEN
      note(SQLERRM);
    END IF;
  END;
  IF moved = 0 THEN
    RAISE nothing_to_do;
  END IF;
END;
