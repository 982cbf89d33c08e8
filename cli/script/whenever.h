// whenever.h - what a script says to do when a statement or unit fails: WHENEVER SQLERROR EXIT or
// CONTINUE, and the EXIT command, read as SQL*Plus reads them. Only xcomp --execute acts on them; a
// translation has nothing that can fail at the database.
#pragma once

#include <string>
#include <string_view>

// What ends the unit of work when the run stops or goes on after a failure.
enum class WorkEnd { none, commit, rollback };

struct SqlErrorAction {
  bool exit = false;  // EXIT: stop the run; CONTINUE (the default): go on with the next item
  // The exit status: a number, or (useSqlcode) the failure's SQLCODE as the shell sees it, modulo 256.
  int status = 0;
  bool useSqlcode = false;
  WorkEnd end = WorkEnd::none;  // EXIT defaults to COMMIT, CONTINUE to NONE
  std::string text;             // as written, for messages ("EXIT FAILURE ROLLBACK")
};

// The EXIT clause's words after EXIT (or the EXIT command's): [SUCCESS|FAILURE|WARNING|n|SQL.SQLCODE]
// [COMMIT|ROLLBACK]. A value we cannot evaluate (a variable, a bind variable) exits with FAILURE and
// says so in *warning; words that are no EXIT clause at all are a *problem, and the action is unusable.
struct ExitReading {
  SqlErrorAction action;
  std::string problem;
  std::string warning;
};

// A WHENEVER command line (continuation lines joined). `isSqlError` is false for WHENEVER OSERROR,
// which concerns nothing xcomp does. Otherwise `reading` is the action from this line on.
struct WheneverReading {
  bool isSqlError = false;
  ExitReading reading;
};
WheneverReading readWhenever(std::string_view command);

// The EXIT or QUIT command: the status and the end of the unit of work it asks for.
ExitReading readExit(std::string_view command);

// The exit status an action gives for a failure whose SQLCODE is `sqlcode` (0 when it has none);
// SQL.SQLCODE gives its low byte, or 1 where that would be 0.
int exitStatusFor(const SqlErrorAction& action, int sqlcode);
