-- Scripts that cannot run are one error each on the line that runs them, and the rest goes on: a
-- missing script, a directory, and a script that runs itself through another.
@@no_such_script
@install
BEGIN
  NULL;
END;
/
@@install/loop_first.sql
