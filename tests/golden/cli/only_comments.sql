-- A file of comments, REM lines and SQL*Plus commands has nothing to translate: a warning, no error.
REM  placeholder for release 3.3
/* nothing yet */
PROMPT nothing to install
