-- A second program in one request is an error at <END-OF-STATEMENT> unless several are allowed.
CREATE PROCEDURE p IS BEGIN NULL; END;
CREATE PROCEDURE q IS BEGIN NULL; END;
