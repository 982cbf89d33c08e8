-- xcomp: --extend error-map
-- A number the extended table lacks keeps the error it has without the extension.
CREATE OR REPLACE PROCEDURE refresh_stats IS
  e_busy EXCEPTION;
  PRAGMA EXCEPTION_INIT(e_busy, -20999);
  e_stale EXCEPTION;
  PRAGMA EXCEPTION_INIT(e_stale, -38029);
BEGIN
  DBMS_STATS.GATHER_SCHEMA_STATS('APP');
EXCEPTION
  WHEN e_stale OR e_busy THEN NULL;
END;
/
