-- Programs and declarations without a writer yet say so instead of producing nothing: a package
-- head, a package body, a trigger, a type, and record and table types in a block.
CREATE PACKAGE billing AS
  PROCEDURE charge (p_id IN NUMBER);
END;
/
CREATE PACKAGE BODY billing AS
  PROCEDURE charge (p_id IN NUMBER) IS BEGIN NULL; END;
END;
/
CREATE TRIGGER stamp BEFORE INSERT ON t FOR EACH ROW
BEGIN
  NULL;
END;
/
CREATE TYPE id_list AS TABLE OF NUMBER;
/
CREATE PROCEDURE typed IS
  TYPE pair IS RECORD (a NUMBER, b NUMBER);
  TYPE pairs IS TABLE OF NUMBER INDEX BY PLS_INTEGER;
BEGIN
  NULL;
END;
