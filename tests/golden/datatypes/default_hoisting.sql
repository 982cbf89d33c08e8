-- Literal defaults (numbers, strings, NULL) stay on the declaration; any other default becomes an
-- assignment at the start of the block, in declaration order, and a CONSTANT with one loses CONSTANT.
CREATE PROCEDURE defaults (p IN NUMBER)
IS
  a NUMBER := 5;
  b VARCHAR2(10) := 'text';
  c NUMBER := NULL;
  d NUMBER := p + 1;
  e CONSTANT NUMBER := 2;
  f CONSTANT NUMBER := p * 2;
  g DATE DEFAULT SYSDATE;
  h NUMBER := -1;
BEGIN
  a := d + f;
END;
