-- Labels on statements, EXIT and CONTINUE with a target and a condition, GOTO.
BEGIN
  <<outer>>
  LOOP
    <<inner>> LOOP
      CONTINUE outer WHEN x > 1;
      EXIT inner;
    END LOOP inner;
    EXIT;
  END LOOP outer;
  GOTO done;
  <<done>> NULL;
END;
