-- xcomp: --no-line-markers --define app_owner=PAYROLL
-- The SQL*Plus settings a script changes are followed from where they are set: blank lines inside
-- statements, another statement terminator, another block terminator, substitution variables given
-- on the command line or by DEFINE, another DEFINE character, and substitution switched off.
SET SQLBLANKLINES ON
INSERT INTO pay_grades (grade_id, grade_name)

VALUES (3, 'Lead');
SET SQLBLANKLINES OFF

SET SQLTERMINATOR #
UPDATE pay_grades SET max_salary = 90000 WHERE grade_id = 3#
SET SQLTERMINATOR ON

DEFINE log_table = pay_audit
SET BLOCKTERMINATOR !
BEGIN
  INSERT INTO &log_table (note) VALUES ('installed by &app_owner..');
END;
!
SET BLOCKTERMINATOR .

SET DEFINE ^
SELECT 'R&D' AS dept, '^app_owner' AS owner FROM dual;
SET DEFINE OFF
BEGIN
  UPDATE pay_grades SET grade_name = 'Q&A' WHERE grade_id = 3;
END;
/
