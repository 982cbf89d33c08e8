-- %TYPE reaches the tree only inside a datatype; where the grammar reads tokens itself it is an error.
BEGIN
  x%TYPE := 1;
END;
