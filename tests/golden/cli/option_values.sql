-- xcomp: --no-line-markers --sql=skip --define=owner=billing --define who=clerk -j2 --terminator=';'
-- Option values after '=' and as the next word; both --define values are kept.
BEGIN
  &owner..audit('&who');
END;
/
UPDATE &owner..invoices SET status = 'OPEN';
