-- xcomp: --verbose --sql skip --no-line-markers --no-follow
-- --verbose lists what is left out of the output: SQL*Plus commands (a continued one is one command)
-- and, with --sql skip, plain SQL statements. With --no-follow, @@ is one of them.
SET ECHO OFF
COLUMN grade_name FORMAT a30 -
       HEADING 'Grade'
@@pay_views.sql
CREATE INDEX pay_grades_name ON pay_grades (grade_name);
BEGIN
  NULL;
END;
/
EXIT
