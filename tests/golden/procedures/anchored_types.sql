-- xcomp: --no-line-markers
-- Parameters typed through %TYPE and %ROWTYPE become anchors to the named column or row.
CREATE PROCEDURE anchored (s emp.sal%TYPE, r emp%ROWTYPE) IS BEGIN NULL; END;
