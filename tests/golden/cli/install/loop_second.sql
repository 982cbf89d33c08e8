BEGIN
  NULL;
END;
/
@@loop_first
