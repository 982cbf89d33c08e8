-- A routine that keeps a bounded series of readings: a gap in the feed repeats the last reading, a new
-- reading is appended, and the series is cut back once it grows past its limit.
CREATE OR REPLACE PROCEDURE remember_reading (
  p_value   IN NUMBER,
  p_max     IN PLS_INTEGER,
  p_count   IN OUT PLS_INTEGER,
  p_history IN OUT reading_list)
IS
BEGIN
  IF p_value IS NULL THEN
    -- keep the spacing of the series: repeat the last reading twice
    p_history.EXTEND(2, p_count);
    p_count := p_count + 2;
  ELSE
    p_history.EXTEND;
    p_count := p_count + 1;
    p_history(p_count) := p_value;
  END IF;
  IF p_count > p_max * 2 THEN
    p_history.DELETE;
    p_count := 0;
  ELSIF p_count > p_max THEN
    p_history.TRIM(p_count - p_max);
    p_count := p_max;
  END IF;
END remember_reading;
