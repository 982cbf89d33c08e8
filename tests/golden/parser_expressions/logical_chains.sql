-- AND/OR chains keep source order; bare operands are wrapped; NOT of a parenthesised OR is plain NOT.
BEGIN
  IF a AND NOT b THEN NULL; END IF;
  IF NOT (a OR b) THEN NULL; END IF;
  IF a OR b AND c > 1 THEN NULL; END IF;
  IF (flag) THEN NULL; END IF;
END;
