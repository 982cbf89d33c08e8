-- xcomp: --print-tree
-- A procedure with every kind of formal argument, AUTHID CURRENT_USER and READS SQL DATA.
CREATE OR REPLACE PROCEDURE app.p (a NUMBER, b IN VARCHAR2 DEFAULT 'x', c OUT DATE, d IN OUT NOCOPY NUMBER := 1 + 2)
  AUTHID CURRENT_USER READS SQL DATA IS
  v NUMBER;
BEGIN
  v := a;
END p;
