// failure_points.h - where in a request a failure was reported: the number xcomp2 writes into sqlerrd[4]
// of every failure it reports. The engine's support staff read these numbers, so they never change;
// each is named here once with the step it marks.
#pragma once

#include <cstdint>

enum FailurePoint : int32_t {
  pointSessionValues = 201,     // a session value outside an engine cannot be used
  pointBadMode = 202,           // the mode word has neither execute nor compile-only
  pointAllocEnvironment = 215,  // the interface's environment handle
  pointAllocConnection = 219,   // the connection handle
  pointAutocommitOff = 225,     // the connection refuses to switch autocommit off
  pointConnect = 229,           // connecting to the default data source
  pointAllocStatement = 235,    // the statement handle
  pointPrivateBlock = 244,      // the private block for the converted or terminated text
  pointConvertInput = 268,      // the input into UTF-8
  pointOpenDump = 320,          // the dump file
  pointSyntax = 488,            // a syntax error record
  pointLexical = 494,           // a lexical error record
  pointUnsupported = 499,       // an unsupported feature record
  pointOutOfMemory = 504,       // the compilation ran out of memory
  pointStatementTooBig = 509,   // the statement is too big to compile
  pointInternal = 514,          // an internal error, or anything that escaped the request
  pointConvertResult = 579,     // a generated statement back into the session's code page
  pointSeveralResults = 593,    // compile-only mode got more than one statement
  pointTooLong = 598,           // the input, or the one generated statement, exceeds the caller's area
  pointSavepoint = 614,         // setting the request's savepoint
  pointConvertToRun = 640,      // a generated statement into the code page it runs in
  pointPrepareWrap = 669,       // preparing the wrap routine's call
  pointPrepareWrapAgain = 681,  // preparing it again for the next routine
  pointBindParameter = 697,     // binding the routine's text to the wrap call
  pointExecuteWrap = 701,       // running the wrap call
  pointBindColumn = 710,        // binding the wrapped text
  pointFetchWrapped = 714,      // fetching the wrapped text
  pointCloseCursor = 718,       // closing the wrap call's cursor
  pointRunStatement = 731,      // running a generated statement
  pointRunDropPackage = 752,    // running the engine's own DROP PACKAGE after the generated one failed
  pointNoStatement = 788,       // no statement came in, or none came out
  pointRelease = 820,           // releasing the savepoint (a standard ODBC connection's own step)
  pointCommit = 825,            // the commit the command-line tool asks for
  pointPlainStatement = 830,    // a plain statement of a script, on the command line's own connection
  pointRollback = 835,          // the rollback the command-line tool asks for
};
