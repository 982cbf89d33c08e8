-- xcomp: --json
-- Edge shapes: an empty package head is CREATE MODULE alone; an empty body still gets a SYS_INIT with
-- an empty body (the module is initialized all the same), and with OR REPLACE the DROP BODY comes
-- first; a body with routines but no BEGIN section has no SYS_INIT; a body of prototypes only is the
-- COMMENT and one ADD per prototype.
CREATE PACKAGE nothing_yet AS
END;
/
CREATE PACKAGE BODY nothing_yet AS
END;
/
CREATE OR REPLACE PACKAGE BODY nothing_yet IS
END nothing_yet;
/
CREATE PACKAGE BODY no_init AS
  PROCEDURE ping IS BEGIN NULL; END;
END;
/
CREATE PACKAGE BODY only_prototypes AS
  PROCEDURE later (p IN NUMBER);
  FUNCTION sooner RETURN NUMBER;
END;
