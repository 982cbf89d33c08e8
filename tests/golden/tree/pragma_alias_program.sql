-- xcomp: --print-tree
-- PRAGMA ALIAS may stand alone; the name loses its quotes.
PRAGMA ALIAS BINARY_DOUBLE := 'DOUBLE'
