-- xcomp: --no-line-markers
-- A file saved in Windows-1252 with CRLF line ends: read as Windows-1252 (one warning names its first
-- line that is not UTF-8) and compiled as UTF-8, so the accented names come out whole.
CREATE OR REPLACE PROCEDURE set_café_price(p_price IN NUMBER) IS
  -- prix du café, « TTC »
BEGIN
  UPDATE menu SET price = p_price WHERE label = 'Café crème';
END;
/
