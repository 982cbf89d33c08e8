-- A character no rule names passes through as itself inside collected text; the host sees it as written.
BEGIN
  x := 1;
  y := x # 2;
END;
