-- A C-style hexadecimal number is no PL/SQL token: both of its pieces are reported, the line is shown.
BEGIN
  x := 0x1F;
END;
