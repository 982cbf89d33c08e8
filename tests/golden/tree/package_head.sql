-- xcomp: --print-tree
-- A package head keeps its members in source order: prototypes and declarations.
CREATE OR REPLACE PACKAGE pkg AUTHID CURRENT_USER AS
  TYPE t IS TABLE OF NUMBER;
  FUNCTION f (a NUMBER) RETURN NUMBER DETERMINISTIC;
  PROCEDURE p;
  g NUMBER := 0;
  e EXCEPTION;
END pkg;
