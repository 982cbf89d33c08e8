-- xcomp: --no-line-markers --nchar-mapping 2
-- An NCHAR mapping of 2 shrinks the default parameter length of NCHAR to 63; CHAR keeps 255.
CREATE PROCEDURE types_nchar (a IN NCHAR, b IN CHAR, c IN NVARCHAR2)
IS
BEGIN
  NULL;
END;
