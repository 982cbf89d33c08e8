-- xcomp: --raw --terminator @
-- DROP PACKAGE drops the module; DROP PACKAGE BODY drops only its body. Both end at the terminator.
DROP PACKAGE pk
/
DROP PACKAGE BODY pk
