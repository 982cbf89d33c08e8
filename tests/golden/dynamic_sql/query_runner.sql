-- A generic query runner: statement texts built at run time, run with INTO and USING. A literal text
-- is held in a VARCHAR(32672), any other expression in a CLOB(1M) set at the block's start.
CREATE OR REPLACE FUNCTION count_matching (
  p_table  IN VARCHAR2,
  p_column IN VARCHAR2,
  p_value  IN VARCHAR2) RETURN NUMBER
IS
  l_sql   VARCHAR2(4000);
  l_count NUMBER;
BEGIN
  l_sql := 'SELECT COUNT(*) FROM ' || p_table || ' WHERE ' || p_column || ' = :v';
  EXECUTE IMMEDIATE l_sql INTO l_count USING p_value;
  IF l_count = 0 THEN
    EXECUTE IMMEDIATE 'SELECT COUNT(*) FROM archive_rows WHERE source_table = :t AND key_value = :v'
      INTO l_count
      USING p_table, p_value;
  END IF;
  RETURN l_count;
END count_matching;
