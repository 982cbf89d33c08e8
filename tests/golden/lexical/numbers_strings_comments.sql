-- xcomp: --print-tokens
-- Number forms, literals with doubled quotes spanning lines, nested comments and the lines after them.
BEGIN
  x := 42 + 3.5 - .5e10 * 1E-3 / 2;
  s := 'it''s
two lines';
  /* outer /* inner */ still comment */ y := x ** 2;
  z := x || 'done'; -- trailing
END;
