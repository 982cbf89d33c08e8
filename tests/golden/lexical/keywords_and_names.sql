-- xcomp: --print-tokens
-- Keywords match in any letter case, multi-word keywords allow gaps, qualified names keep their parts.
create Or REPLACE procedure Sch . Pkg.Proc IS
  v_x  pls_integer;
  "Quoted Name" NUMBER;
  $$plsql_unit VARCHAR2(30);
BEGIN
  SELECT a.b.c.d INTO v_x FROM t;
  :NEW.col := ?;
END;
