-- A package body: functions, procedures, declarations, prototypes, and the initialization block last.
CREATE OR REPLACE PACKAGE BODY pkg IS
  counter NUMBER := 0;
  PROCEDURE later;
  FUNCTION f (a NUMBER) RETURN NUMBER IS
  BEGIN
    RETURN a;
  END f;
  PROCEDURE later IS
  BEGIN
    counter := counter + 1;
  END;
BEGIN
  counter := 1;
END pkg;
