-- A substitution variable without a value is an error naming it, and its unit is not compiled; the
-- same unit with the variable defined, and a literal '&' once substitution is off, compile.
BEGIN
  DELETE FROM pay_audit WHERE changed_on < SYSDATE - &keep_days;
END;
/
DEFINE keep_days = 30
BEGIN
  DELETE FROM pay_audit WHERE changed_on < SYSDATE - &keep_days;
END;
/
SET DEFINE OFF
BEGIN
  UPDATE pay_grades SET grade_name = 'R&D' WHERE grade_id = 4;
END;
/
