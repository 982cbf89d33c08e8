-- xcomp: --print-tree
-- CREATE TYPE ... AS OBJECT gives a record declaration inside the type statement.
CREATE TYPE point AS OBJECT (x NUMBER, y NUMBER NOT NULL := 0);
