-- A mail sender over UTL_SMTP: every reply-returning function is a restricted call, while opening the
-- connection is an ordinary function and stays an assignment.
CREATE OR REPLACE PROCEDURE send_alert (p_to IN VARCHAR2, p_subject IN VARCHAR2, p_body IN VARCHAR2)
IS
  l_conn  UTL_SMTP.CONNECTION;
  l_reply UTL_SMTP.REPLY;
BEGIN
  l_conn := UTL_SMTP.OPEN_CONNECTION('mail.example.com', 25);
  l_reply := UTL_SMTP.HELO(l_conn, 'example.com');
  l_reply := UTL_SMTP.MAIL(l_conn, 'alerts@example.com');
  l_reply := UTL_SMTP.RCPT(l_conn, p_to);
  l_reply := UTL_SMTP.OPEN_DATA(l_conn);
  UTL_SMTP.WRITE_DATA(l_conn, 'Subject: ' || p_subject || CHR(13) || CHR(10) || p_body);
  l_reply := UTL_SMTP.CLOSE_DATA(l_conn);
  <<hang_up>>
  l_reply := UTL_SMTP.QUIT(l_conn);
END send_alert;
