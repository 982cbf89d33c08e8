-- The pragma may stand before the exception it names: the whole declaration section is searched, so
-- the exception declared after it is still bound (its condition FOR the SQLSTATE, and the handler of
-- an exception with two SQLSTATEs names both).
CREATE OR REPLACE PROCEDURE close_account (p_account IN NUMBER)
IS
  PRAGMA EXCEPTION_INIT(has_children, -2292);
  PRAGMA EXCEPTION_INIT(frozen, -20042);
  has_children EXCEPTION;
  frozen       EXCEPTION;
BEGIN
  DELETE FROM accounts WHERE account_id = p_account;
EXCEPTION
  WHEN has_children THEN
    UPDATE accounts SET status = 'CLOSED' WHERE account_id = p_account;
  WHEN frozen THEN
    RAISE;
END;
