-- A body created without OR REPLACE drops nothing: the line marker written for the package opens the
-- COMMENT statement, once, and the members follow indented.
CREATE PACKAGE BODY shipping_rates AS
  g_zone_count PLS_INTEGER := 12;
  FUNCTION rate_for (p_zone IN PLS_INTEGER) RETURN NUMBER IS
  BEGIN
    RETURN p_zone * 1.5;
  END rate_for;
END shipping_rates;
