-- xcomp: --json --no-line-markers
-- ORDER ... BY on a pipelined function has no host form: the function is written and the request fails.
CREATE OR REPLACE FUNCTION sorted_feed (p_rows SYS_REFCURSOR) RETURN feed_tab PIPELINED
  PARALLEL_ENABLE (PARTITION p_rows BY ANY) ORDER p_rows BY (feed_id)
IS
BEGIN
  RETURN;
END sorted_feed;
/
