-- EXEC and EXECUTE lines run as SQL*Plus runs them: each is the block BEGIN text END; compiled as an
-- item of its own (a lone call becomes a CALL), a '-' at the end of a line continues it, and an error
-- in one is reported at its own line of this file.
CREATE OR REPLACE PROCEDURE refresh_totals(p_year IN NUMBER, p_full IN NUMBER) IS
BEGIN
  NULL;
END;
/

EXEC refresh_totals(2024, 1);
exec refresh_totals(2025, 0)   -- no ';': SQL*Plus adds it
EXECUTE refresh_totals( -
          p_year => 2026, -
          p_full => 1);

exec v_count := ;
EXEC NULL; refresh_totals(2023, 0);
-- A bare EXECUTE has no block to compile.
EXECUTE
