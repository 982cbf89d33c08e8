-- xcomp: --raw --terminator @
-- DROP PACKAGE becomes DROP MODULE, DROP PACKAGE BODY the module's DROP BODY, each ending with the
-- session terminator.
DROP PACKAGE billing
/
DROP PACKAGE BODY billing
/
DROP PACKAGE BODY sales.billing
