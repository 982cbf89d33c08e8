-- DROP PACKAGE keeps what follows the name; DROP PACKAGE BODY has only the name.
DROP PACKAGE pkg CASCADE
/
DROP PACKAGE BODY pkg
