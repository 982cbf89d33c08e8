-- xcomp: --json
-- The domains of a package body's statements in order: DROP_PACKAGE_BODY (OR REPLACE only),
-- COMMENT_MODULE, VARIABLE, PROCEDURE for the forward declaration, PROCEDURE and FUNCTION for the
-- routines, and PROCEDURE for SYS_INIT.
CREATE OR REPLACE PACKAGE BODY inventory AS
  g_calls PLS_INTEGER := 0;
  PROCEDURE log_call;
  FUNCTION on_hand (p_sku IN VARCHAR2) RETURN NUMBER IS
  BEGIN
    RETURN 0;
  END;
  PROCEDURE log_call IS
  BEGIN
    g_calls := g_calls + 1;
  END;
BEGIN
  g_calls := 0;
END;
