-- A package body as a finance team writes it: private helpers, exceptions bound to error numbers, a
-- cursor with a parameter read by a cursor FOR loop, SQL%ROWCOUNT after an UPDATE, handlers that log
-- and re-raise, and an initialization section. Each member becomes its own ALTER MODULE statement.
CREATE OR REPLACE PACKAGE ledger AS
  e_closed_period EXCEPTION;
  PRAGMA EXCEPTION_INIT(e_closed_period, -20100);
  g_batch_size PLS_INTEGER := 500;
  PROCEDURE post_journal (p_journal_id IN NUMBER);
  FUNCTION balance_of (p_account IN VARCHAR2, p_as_of IN DATE DEFAULT SYSDATE) RETURN NUMBER;
END ledger;
/
CREATE OR REPLACE PACKAGE BODY ledger AS
  g_posted_today NUMBER := 0;

  CURSOR c_lines (p_journal NUMBER) IS
    SELECT line_id, account, amount
      FROM journal_lines
     WHERE journal_id = p_journal
     ORDER BY line_id;

  PROCEDURE log_failure (p_journal_id IN NUMBER, p_message IN VARCHAR2) IS
    PRAGMA AUTONOMOUS_TRANSACTION;
  BEGIN
    INSERT INTO ledger_errors (journal_id, message, logged_at)
    VALUES (p_journal_id, p_message, SYSTIMESTAMP);
    COMMIT;
  END log_failure;

  FUNCTION period_is_open (p_date IN DATE) RETURN BOOLEAN IS
    v_status periods.status%TYPE;
  BEGIN
    SELECT status INTO v_status FROM periods WHERE p_date BETWEEN starts_on AND ends_on;
    RETURN v_status = 'OPEN';
  EXCEPTION
    WHEN NO_DATA_FOUND THEN
      RETURN FALSE;
  END period_is_open;

  PROCEDURE post_journal (p_journal_id IN NUMBER) IS
    v_total   NUMBER := 0;
    v_posted  DATE;
  BEGIN
    SELECT journal_date INTO v_posted FROM journals WHERE journal_id = p_journal_id FOR UPDATE;
    IF NOT period_is_open(v_posted) THEN
      RAISE e_closed_period;
    END IF;
    FOR r IN c_lines(p_journal_id) LOOP
      UPDATE accounts SET balance = balance + r.amount WHERE account = r.account;
      IF SQL%ROWCOUNT = 0 THEN
        RAISE_APPLICATION_ERROR(-20101, 'unknown account ' || r.account);
      END IF;
      v_total := v_total + r.amount;
    END LOOP;
    IF v_total <> 0 THEN
      RAISE_APPLICATION_ERROR(-20102, 'journal does not balance');
    END IF;
    UPDATE journals SET status = 'POSTED' WHERE journal_id = p_journal_id;
    g_posted_today := g_posted_today + 1;
  EXCEPTION
    WHEN e_closed_period THEN
      log_failure(p_journal_id, 'period closed');
      RAISE;
    WHEN OTHERS THEN
      log_failure(p_journal_id, SQLERRM);
      RAISE;
  END post_journal;

  FUNCTION balance_of (p_account IN VARCHAR2, p_as_of IN DATE DEFAULT SYSDATE) RETURN NUMBER IS
    v_balance NUMBER;
  BEGIN
    SELECT NVL(SUM(amount), 0) INTO v_balance
      FROM journal_lines l JOIN journals j ON j.journal_id = l.journal_id
     WHERE l.account = p_account AND j.journal_date <= p_as_of AND j.status = 'POSTED';
    RETURN v_balance;
  END balance_of;

BEGIN
  SELECT COUNT(*) INTO g_posted_today FROM journals WHERE status = 'POSTED' AND journal_date = TRUNC(SYSDATE);
END ledger;
/
