// The entry point's contract: failure rows, the SQLCA mapping of every error domain, code-page
// conversion, out-of-memory at every allocation, and concurrent calls.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "entry/entry.h"
#include "host/host.h"
#include "pool/pool.h"
#include "request_helpers.h"

extern "C" size_t headerCheckSqlcaSize(void);
extern "C" size_t headerCheckSqlstateOffset(void);
extern "C" size_t headerCheckResultTextOffset(void);
extern "C" size_t headerCheckStatementTextOffset(void);

namespace {

// An instance directory with its dump folder, for one test: `content()` is what the dump file holds.
class DumpDirectory {
 public:
  DumpDirectory() {
    ok_ = mkdtemp(dir_) != nullptr && mkdir(dumpDir().c_str(), 0700) == 0;
    EXPECT_TRUE(ok_);
  }
  ~DumpDirectory() {
    std::remove(file().c_str());
    rmdir(dumpDir().c_str());
    rmdir(dir_);
  }
  const char* path() const { return dir_; }
  std::string content() const {
    std::string text;
    if (FILE* f = std::fopen(file().c_str(), "r")) {
      char chunk[4096];
      for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, f)) > 0;) text.append(chunk, n);
      std::fclose(f);
    }
    return text;
  }

 private:
  std::string dumpDir() const { return std::string(dir_) + "/nuvdump"; }
  std::string file() const { return dumpDir() + "/XCdump.txt"; }
  char dir_[32] = "/tmp/xcomp-dump-XXXXXX";
  bool ok_ = false;
};

TEST(PublicHeader, LayoutSeenFromCMatchesCpp) {
  EXPECT_EQ(headerCheckSqlcaSize(), 136u);
  EXPECT_EQ(sizeof(SQLCA), 136u);
  EXPECT_EQ(headerCheckSqlstateOffset(), offsetof(SQLCA, sqlstate));
  EXPECT_EQ(headerCheckResultTextOffset(), headerCheckStatementTextOffset())
      << "a result's length and text must read like a statement record";
}

TEST(EntryFailures, ModeWithoutExecuteOrCompileIsRejected) {
  CallerStatement caller("BEGIN NULL; END;");
  expectFailure(call(caller, XCOMP_MODE_DUMP), -901, "58004", "XCOMP2: Bad xcompMode value", 202);
  expectFailure(call(caller, 0), -901, "58004", "XCOMP2: Bad xcompMode value", 202);
  EXPECT_EQ(caller.text(), "BEGIN NULL; END;");
}

TEST(EntryFailures, BrokenRecordsAreReportedNotFollowed) {
  CallerStatement caller("BEGIN NULL; END;");
  SQLCA sqlca = freshSqlca();
  EXPECT_EQ(xcomp2(caller.statement(), nullptr, &sqlca), 1);
  expectFailure(sqlca, -901, "58004", "XCOMP2: Bad xcompMode value", 202);
  const XcompOptions options{XCOMP_MODE_COMPILE_ONLY};
  sqlca = freshSqlca();
  EXPECT_EQ(xcomp2(nullptr, &options, &sqlca), 1);
  expectFailure(sqlca, -901, "58004", "Unexpected PL/SQL", 788);
  EXPECT_EQ(xcomp2(caller.statement(), &options, nullptr), 1);
  caller.statement()->length = XCOMP_MAX_STATEMENT + 1;
  sqlca = freshSqlca();
  EXPECT_EQ(xcomp2(caller.statement(), &options, &sqlca), 1);
  expectFailure(sqlca, -101, "54001", "stmt too long", 598);
  EXPECT_EQ(caller.guard(), '\x5A');
}

TEST(EntryFailures, PrivateBlockRefused) {
  CallerStatement caller("BEGIN NULL; END;");
  hostFailNthBlock(1);
  const SQLCA sqlca = call(caller, XCOMP_MODE_COMPILE_ONLY);
  hostFailNthBlock(0);
  expectFailure(sqlca, -101, "54001", "couldn't get memory", 244);
}

TEST(EntryFailures, InputThatCannotBeConverted) {
  EnvOverride codePage("XCOMP_CODEPAGE", "1386");
  CallerStatement caller("BEGIN \x81\x20 END;");  // 0x81 0x20 is no GBK character
  expectFailure(call(caller, XCOMP_MODE_COMPILE_ONLY), -901, "58004", "failed cpcv", 268);
}

TEST(EntryFailures, UnknownDatabaseCodePageFailsTheConversionWithTheFixedText) {
  EnvOverride codePage("XCOMP_CODEPAGE", "4242");
  CallerStatement caller("BEGIN NULL; END;");
  expectFailure(call(caller, XCOMP_MODE_COMPILE_ONLY), -901, "58004", "failed cpcv", 268);
}

TEST(EntryFailures, SessionValuesThatASessionCannotHaveFailTheRequest) {
  const struct {
    const char* variable;
    const char* value;
    const char* text;
  } cases[] = {
      {"XCOMP_CODEPAGE", "abc", "invalid XCOMP_CODEPAGE value 'abc'"},
      {"XCOMP_CODEPAGE", "1208abc", "invalid XCOMP_CODEPAGE value '1208abc'"},
      {"XCOMP_CODEPAGE", "1252x", "invalid XCOMP_CODEPAGE value '1252x'"},
      {"XCOMP_CODEPAGE", "-1", "invalid XCOMP_CODEPAGE value '-1'"},
      {"XCOMP_CODEPAGE", "0", "invalid XCOMP_CODEPAGE value '0'"},
      {"XCOMP_CODEPAGE", "", "invalid XCOMP_CODEPAGE value ''"},
      {"XCOMP_CODEPAGE", "99999", "invalid XCOMP_CODEPAGE value '99999'"},
      {"XCOMP_CODEPAGE", " 1208", "invalid XCOMP_CODEPAGE value ' 1208'"},
      {"XCOMP_STRING_UNITS", "SYSTEM", "invalid XCOMP_STRING_UNITS value 'SYSTEM'"},
      {"XCOMP_COMPAT", "", "invalid XCOMP_COMPAT value ''"},
      {"XCOMP_NCHAR_MAPPING", "", "invalid XCOMP_NCHAR_MAPPING value ''"},
      // A long value is cut so that the message keeps within the 69 bytes of the SQLCA.
      {"XCOMP_NCHAR_MAPPING", "GRAPHIC_CU16 because the application was ported from elsewhere",
       "invalid XCOMP_NCHAR_MAPPING value 'GRAPHIC_CU16 because the appli...'"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.variable) + "=" + c.value);
    const EnvOverride bad(c.variable, c.value);
    CallerStatement caller("CREATE PROCEDURE p(x NVARCHAR2) IS BEGIN NULL; END;");
    expectFailure(call(caller, XCOMP_MODE_COMPILE_ONLY), -901, "58004", c.text, 201);
    EXPECT_LE(std::strlen(c.text), 69u);
    EXPECT_EQ(caller.text(), "CREATE PROCEDURE p(x NVARCHAR2) IS BEGIN NULL; END;") << "nothing was compiled";
  }
}

TEST(EntryInput, SessionValuesThatAreSetAreUsedAndUnsetMeansTheDefault) {
  const std::string source = "CREATE PROCEDURE p(x NVARCHAR2) IS BEGIN NULL; END;";
  std::string unicode;
  {
    const EnvOverride unset("XCOMP_CODEPAGE", nullptr);
    CallerStatement caller(source);
    ASSERT_EQ(call(caller, XCOMP_MODE_COMPILE_ONLY).sqlcode, 0);
    unicode = caller.text();
  }
  EXPECT_NE(unicode.find("NVARCHAR"), std::string::npos) << unicode;
  for (const char* cp : {"1252", "01252"}) {
    const EnvOverride codePage("XCOMP_CODEPAGE", cp);
    const EnvOverride units("XCOMP_STRING_UNITS", "4");
    const EnvOverride compat("XCOMP_COMPAT", "2");
    const EnvOverride nchar("XCOMP_NCHAR_MAPPING", "3");
    CallerStatement caller(source);
    const SQLCA sqlca = call(caller, XCOMP_MODE_COMPILE_ONLY);
    EXPECT_EQ(sqlca.sqlcode, 0) << message(sqlca);
    // Outside Unicode there is no national character type.
    EXPECT_NE(caller.text(), unicode) << cp;
  }
}

TEST(EntryFailures, DumpFileThatCannotBeOpened) {
  EnvOverride path("XCOMP_INSTANCE_PATH", "/nonexistent-xcomp-instance");
  CallerStatement caller("BEGIN NULL; END;");
  expectFailure(call(caller, XCOMP_MODE_COMPILE_ONLY | XCOMP_MODE_DUMP), -999, "99999", "Failed to open XCdump.txt",
                320);
}

TEST(EntryFailures, DumpPathThatDoesNotFitFailsInsteadOfWritingElsewhere) {
  // An instance directory whose path leaves no room for the dump's own part: cut short, the path would
  // name "<instance>/nuvd", a file the request would create and append to.
  char top[] = "/tmp/xcomp-longpath-XXXXXX";
  ASSERT_NE(mkdtemp(top), nullptr);
  std::string instance = top;
  std::vector<std::string> made;
  while (instance.size() < 4090 - 201) {
    instance += "/" + std::string(200, 'd');
    ASSERT_EQ(mkdir(instance.c_str(), 0700), 0) << instance.size();
    made.push_back(instance);
  }
  instance += "/" + std::string(4090 - instance.size() - 1, 'i');
  ASSERT_EQ(instance.size(), 4090u);
  ASSERT_EQ(mkdir(instance.c_str(), 0700), 0);
  made.push_back(instance);
  {
    EnvOverride path("XCOMP_INSTANCE_PATH", instance.c_str());
    CallerStatement caller("BEGIN NULL; END;");
    expectFailure(call(caller, XCOMP_MODE_COMPILE_ONLY | XCOMP_MODE_DUMP), -999, "99999", "Failed to open XCdump.txt",
                  320);
  }
  const std::string cut = instance + "/nuvd";
  EXPECT_NE(access(cut.c_str(), F_OK), 0) << "the record went to a file the truncated path names";
  std::remove(cut.c_str());
  for (auto dir = made.rbegin(); dir != made.rend(); ++dir) rmdir(dir->c_str());
  rmdir(top);
}

TEST(EntryFailures, RequestThatParsesToNothingYieldsNothing) {
  // A lone terminator line is a whole program that produces no statement.
  CallerStatement caller("/\n");
  expectFailure(call(caller, XCOMP_MODE_COMPILE_ONLY), -901, "58004", "Unexpected PL/SQL", 788);
}

TEST(EntryFailures, EmptyRequestIsASyntaxErrorAtEndOfInput) {
  CallerStatement caller("   \n  ");
  const SQLCA sqlca = call(caller, XCOMP_MODE_COMPILE_ONLY);
  EXPECT_EQ(sqlca.sqlcode, -104);
  EXPECT_EQ(sqlca.sqlcaid[5], 'L');
  EXPECT_EQ(sqlca.sqlerrd[4], 488);
}

// A rejected EXCEPTION_INIT reaches the caller as a syntax error: the number, the pragma's words and an
// empty expectation joined by 0xFF, at the pragma's line; the compiled text is not handed back.
TEST(EntryFailures, RejectedExceptionInitIsASyntaxErrorAtThePragma) {
  const std::string text =
      "CREATE PROCEDURE p IS\n  e EXCEPTION;\n  PRAGMA EXCEPTION_INIT(e, -1403);\nBEGIN\n  NULL;\nEND;";
  CallerStatement caller(text);
  const SQLCA sqlca = call(caller, XCOMP_MODE_COMPILE_ONLY);
  expectFailure(sqlca, -104, "42601", "-1403\xFFpragma exception_init\xFF", 488);
  EXPECT_EQ(sqlca.sqlcaid[5], 'L');
  EXPECT_EQ(sqlca.sqlerrd[2], 3);
  EXPECT_EQ(caller.text(), text);
  // The SQLSTATE form names the text it could not take and what it expected instead.
  caller.set("DECLARE\n  e EXCEPTION;\n  PRAGMA NUV_EXCEPTION_INIT(e, 'ABCD');\nBEGIN\n  NULL;\nEND;");
  EXPECT_EQ(message(call(caller, XCOMP_MODE_COMPILE_ONLY)), "'ABCD'\xFFpragma exception_init\xFF<sqlstate>");
}

TEST(EntryInput, ShortStatementGetsANulInTheCallersBuffer) {
  CallerStatement caller("   ");
  caller.statement()->text[3] = 'x';
  call(caller, XCOMP_MODE_COMPILE_ONLY);
  EXPECT_EQ(caller.statement()->text[3], '\0');
}

TEST(EntryInput, FullSizeStatementIsCompiledFromACopy) {
  std::string text = "BEGIN NULL; END;";
  text.resize(XCOMP_MAX_STATEMENT, ' ');
  CallerStatement caller(text);
  const SQLCA sqlca = call(caller, XCOMP_MODE_COMPILE_ONLY);
  EXPECT_EQ(caller.guard(), '\x5A') << "nothing is written beyond the caller's text area";
  EXPECT_EQ(sqlca.sqlcode, 0);
  // The compiled statement came back in place of the input.
  EXPECT_LT(caller.statement()->length, XCOMP_MAX_STATEMENT);
  EXPECT_EQ(caller.text().rfind("BEGIN", 0), 0u);
}

TEST(EntryDump, RecordHasHeaderAndInputAndOutcome) {
  DumpDirectory dump;
  {
    EnvOverride path("XCOMP_INSTANCE_PATH", dump.path());
    EnvOverride units("XCOMP_STRING_UNITS", "4");
    EnvOverride compat("XCOMP_COMPAT", "1");
    CallerStatement caller("   ");
    call(caller, XCOMP_MODE_COMPILE_ONLY | XCOMP_MODE_DUMP);
  }
  const std::string content = dump.content();
  const std::string header =
      "\n##########################################\n"
      "DB Code Page 1208\n"
      "Default string units value for this session: CODEUNITS32\n"
      "Default SQL Compatibility mode for this session: QPX\n"
      "NCHAR_MAPPING NOT_APPLICABLE\n\n"
      "##########################################\n## INPUT STATEMENT:\n   \n\n";
  EXPECT_EQ(content.substr(0, header.size()), header);
  EXPECT_EQ(content.substr(header.size()).rfind("## ERROR REPORTED BY XCOMPILER:\nSQLCODE:-104\nLINE NUMBER:", 0), 0u)
      << content;
}

TEST(EntryResults, CompileOnlyTakesExactlyOneStatement) {
  // A package body is several statements: the caller gets the failure and keeps its own text.
  const std::string body = "CREATE PACKAGE BODY pk AS\nEND;";
  CallerStatement several(body);
  expectFailure(call(several, XCOMP_MODE_COMPILE_ONLY), -901, "58004", "XCOMP2: result->next != NULL", 593);
  EXPECT_EQ(several.text(), body);

  // A type is one statement and comes back in place of the input.
  CallerStatement single("CREATE TYPE id_list AS TABLE OF NUMBER");
  EXPECT_EQ(call(single, XCOMP_MODE_COMPILE_ONLY).sqlcode, 0);
  EXPECT_EQ(single.text(), "CREATE TYPE id_list AS NUMBER ARRAY[INTEGER]\n");
}

TEST(EntryDump, EveryStatementOfAPackageIsListedWithItsDomain) {
  DumpDirectory dump;
  SQLCA sqlca;
  {
    EnvOverride path("XCOMP_INSTANCE_PATH", dump.path());
    CallerStatement caller("CREATE PACKAGE pk AS\n  n NUMBER;\n  PROCEDURE p;\nEND;");
    sqlca = call(caller, XCOMP_MODE_COMPILE_ONLY | XCOMP_MODE_DUMP);
  }
  // The dump is written before the single-statement check fails the request.
  EXPECT_EQ(message(sqlca), "XCOMP2: result->next != NULL");
  const std::string content = dump.content();
  const std::string statements =
      "## GENERATED STATEMENTS:\n"
      "## STATEMENT DOMAIN: SQLEXC_CREATE_MODULE ##\nCREATE MODULE pk\n\n"
      "## STATEMENT DOMAIN: SQLEXC_VARIABLE ##\n--#line 002\nALTER MODULE pk PUBLISH VARIABLE n NUMBER\n\n"
      "## STATEMENT DOMAIN: SQLEXC_PROCEDURE ##\n--#line 003\nALTER MODULE pk PUBLISH PROCEDURE p LANGUAGE SQL\n\n";
  const size_t at = content.find("## GENERATED STATEMENTS:\n");
  ASSERT_NE(at, std::string::npos) << content;
  EXPECT_EQ(content.substr(at), statements);
}

// A session value without a name is still the session's: the request compiles under it (as under the
// defaults, which only the named values change) and the dump names it "ERROR".
TEST(EntryDump, SessionValuesWithoutANameAreCompiledUnderAndShowAsError) {
  const std::string source = "CREATE PROCEDURE p(c CHAR, n NCHAR) IS BEGIN NULL; END;";
  CallerStatement plain(source);
  ASSERT_EQ(call(plain, XCOMP_MODE_COMPILE_ONLY).sqlcode, 0);
  DumpDirectory dump;
  {
    EnvOverride path("XCOMP_INSTANCE_PATH", dump.path());
    EnvOverride units("XCOMP_STRING_UNITS", "s");
    EnvOverride compat("XCOMP_COMPAT", "7");
    EnvOverride nchar("XCOMP_NCHAR_MAPPING", "4");
    CallerStatement caller(source);
    const SQLCA sqlca = call(caller, XCOMP_MODE_COMPILE_ONLY | XCOMP_MODE_DUMP);
    EXPECT_EQ(sqlca.sqlcode, 0) << message(sqlca);
    EXPECT_EQ(caller.text(), plain.text());
  }
  const std::string content = dump.content();
  EXPECT_NE(content.find("DB Code Page 1208\n"
                         "Default string units value for this session: ERROR\n"
                         "Default SQL Compatibility mode for this session: ERROR\n"
                         "NCHAR_MAPPING ERROR\n\n"),
            std::string::npos)
      << content;
  EXPECT_NE(content.find("## STATEMENT DOMAIN: SQLEXC_PROCEDURE ##\n"), std::string::npos) << content;
}

// ---- SQLCA mapping ----

CompileError record(uint32_t domain, int line, const char* detail, const char* nearText, const char* extra) {
  return CompileError{nullptr, "message", domain, line, nearText, detail, extra, nullptr, 0};
}

TEST(SqlcaMapping, EveryDomain) {
  struct Row {
    uint32_t domain;
    int code;
    const char* state;
    const char* text;
    int point;
  };
  const Row rows[] = {
      {unsupportedFeature, -142, "42601", "Unsupported PL/SQL statement", 499},
      {outOfMemory, -10003, "57011", "Out of memory", 504},
      {statementTooBig, -101, "54001", "Statement too big", 509},
      {internalError, -901, "58004", "Unexpected system error", 514},
      {77, -901, "58004", "Unexpected system error", 514},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.domain);
    const CompileError error = record(row.domain, 7, "d", "n", "e");
    SQLCA sqlca = freshSqlca();
    mapErrorToSqlca(&error, &sqlca, false, 1208);
    expectFailure(sqlca, row.code, row.state, row.text, row.point);
    EXPECT_EQ(sqlca.sqlcaid[5], 'L');
    EXPECT_EQ(sqlca.sqlerrd[2], 7);
  }
}

TEST(SqlcaMapping, LexicalCarriesItsDetail) {
  const CompileError error = record(lexical, 3, "@@", "x := @@;", nullptr);
  SQLCA sqlca = freshSqlca();
  mapErrorToSqlca(&error, &sqlca, false, 1208);
  expectFailure(sqlca, -103, "42604", "@@", 494);
  const CompileError noDetail = record(lexical, 3, nullptr, nullptr, nullptr);
  sqlca = freshSqlca();
  mapErrorToSqlca(&noDetail, &sqlca, false, 1208);
  EXPECT_EQ(message(sqlca), "");
}

TEST(SqlcaMapping, SyntaxTokensJoinedBy0xFF) {
  const CompileError error = record(syntax, 2, "END", "  x := 1 END", "';'");
  SQLCA sqlca = freshSqlca();
  mapErrorToSqlca(&error, &sqlca, false, 1208);
  expectFailure(sqlca, -104, "42601", "END\xFF  x := 1 END\xFF';'", 488);
  // An empty near text still has both separators around its place.
  const CompileError empty = record(syntax, 2, "END", "", "';'");
  sqlca = freshSqlca();
  mapErrorToSqlca(&empty, &sqlca, false, 1208);
  EXPECT_EQ(message(sqlca), "END\xFF\xFF';'");
  const CompileError none = record(syntax, 2, nullptr, nullptr, nullptr);
  sqlca = freshSqlca();
  mapErrorToSqlca(&none, &sqlca, false, 1208);
  EXPECT_EQ(message(sqlca), "\xFF\xFF");
}

TEST(SqlcaMapping, LongSyntaxTokensAreCutAt69Bytes) {
  const std::string longLine(100, 'x');
  const CompileError error = record(syntax, 1, "tok", longLine.c_str(), "e");
  SQLCA sqlca = freshSqlca();
  mapErrorToSqlca(&error, &sqlca, false, 1208);
  EXPECT_EQ(sqlca.sqlerrml, 69);
  EXPECT_EQ(message(sqlca), "tok\xFF" + std::string(65, 'x'));
}

TEST(SqlcaMapping, ConvertedSyntaxTokensAreCutAt22BytesAndSkipEmptyTexts) {
  const std::string longLine = "caf\xC3\xA9 " + std::string(40, 'y');
  const CompileError error = record(syntax, 1, "\xC3\xA9t\xC3\xA9", longLine.c_str(), nullptr);
  SQLCA sqlca = freshSqlca();
  mapErrorToSqlca(&error, &sqlca, true, 37);
  // EBCDIC 037: e-acute is 0x51, 't' is 0xA3; "caf" is 0x83 0x81 0x86, blank 0x40, 'y' 0xA8.
  const std::string expected = std::string("\x51\xA3\x51\xFF\x83\x81\x86\x51\x40", 9) + std::string(17, '\xA8');
  EXPECT_EQ(message(sqlca), expected);
  EXPECT_EQ(sqlca.sqlerrd[4], 488);
}

TEST(SqlcaMapping, FailedTokenConversionFallsBackToPlainText) {
  // Bytes that are not UTF-8 cannot be converted; the unconverted form is used instead.
  const CompileError error = record(syntax, 1, "\xFE\xFE", "x", "y");
  SQLCA sqlca = freshSqlca();
  mapErrorToSqlca(&error, &sqlca, true, 1252);
  EXPECT_EQ(message(sqlca), "\xFE\xFE\xFFx\xFFy");
}

TEST(ErrorChain, AppendsKeepTheirOrderAndReachTheEndWhateverLinkedBefore) {
  const RecoveryPoint recovery;
  contextInit(&recovery);
  CompileError* chain = nullptr;
  recordError(&chain, "first", syntax, 1, nullptr, nullptr, nullptr);
  recordError(&chain, "second", lexical, 2, nullptr, nullptr, nullptr);
  // A record linked behind the chain's back: the next append must still land after it.
  CompileError outside{nullptr, "outside", syntax, 3, nullptr, nullptr, nullptr, nullptr, 0};
  chain->next->next = &outside;
  raiseSyntaxError(4, "d", "n", "e", &chain);
  raiseStatementTooBig("Max nexting depth exceeded", 5, &chain);
  std::string order;
  for (const CompileError* e = chain; e != nullptr; e = e->next) order += std::to_string(e->line);
  EXPECT_EQ(order, "12345");
  EXPECT_STREQ(outside.next->message, "syntax error");
  EXPECT_EQ(outside.next->next->domain, statementTooBig);
  contextRelease();
}

// ---- code pages ----

std::string convert(const std::string& in, uint16_t from, uint16_t to, uint32_t* rc, size_t capacity = 256) {
  std::string out(capacity, '\0');
  size_t left = 0;
  *rc = convertCodepage(in.data(), in.size(), from, to, out.data(), capacity, &left);
  out.resize(capacity - left);
  return out;
}

TEST(CodePages, RoundTripsThroughUtf8) {
  const std::string utf8 = "SELECT 'caf\xC3\xA9' FROM dual";
  for (uint16_t cp : {1252, 850, 819, 437, 37, 500, 273, 1047, 1250, 912, 923}) {
    SCOPED_TRACE(cp);
    uint32_t rc = 1;
    const std::string native = convert(utf8, 1208, cp, &rc);
    ASSERT_EQ(rc, 0u);
    EXPECT_NE(native, utf8);
    const std::string back = convert(native, cp, 1208, &rc);
    ASSERT_EQ(rc, 0u);
    EXPECT_EQ(back, utf8);
  }
  const std::string japanese = "\xE6\x97\xA5\xE6\x9C\xAC";  // two CJK ideographs
  for (uint16_t cp : {932, 943, 954, 1386, 970}) {
    SCOPED_TRACE(cp);
    uint32_t rc = 1;
    const std::string native = convert(japanese, 1208, cp, &rc);
    ASSERT_EQ(rc, 0u);
    EXPECT_EQ(convert(native, cp, 1208, &rc), japanese);
  }
}

TEST(CodePages, TruncationAndFailureAreTold) {
  uint32_t rc = 0;
  const std::string cut = convert("abcdef", 1208, 1252, &rc, 4);
  EXPECT_TRUE(isTruncation(rc));
  EXPECT_EQ(cut, "abcd");
  convert("x", 1208, 4242, &rc);
  EXPECT_NE(rc, 0u);
  EXPECT_FALSE(isTruncation(rc));
  convert("\xC3", 1208, 1252, &rc);  // a cut UTF-8 sequence
  EXPECT_NE(rc, 0u);
  convert("\xE6\x97\xA5", 1208, 1252, &rc);  // not representable
  EXPECT_NE(rc, 0u);
  EXPECT_FALSE(isTruncation(rc));
}

// Each thread keeps its converters open between calls: one left mid-sequence by a failure, or pushed out
// by other pairs, must still start the next conversion clean.
TEST(CodePages, KeptConvertersStartEachConversionClean) {
  const std::string utf8 = "SELECT '\xE6\x97\xA5\xE6\x9C\xAC' FROM dual";
  uint32_t rc = 1;
  const std::string native = convert(utf8, 1208, 943, &rc);
  ASSERT_EQ(rc, 0u);
  convert("\xE6\x97", 1208, 943, &rc);  // a sequence cut in the middle
  EXPECT_NE(rc, 0u);
  EXPECT_EQ(convert(utf8, 1208, 943, &rc), native);
  EXPECT_EQ(rc, 0u);
  for (uint16_t other : {1250, 1251, 1253, 1254, 1255, 37}) convert("x", 1208, other, &rc);
  EXPECT_EQ(convert(utf8, 1208, 943, &rc), native);
  EXPECT_EQ(convert(native, 943, 1208, &rc), utf8);
}

TEST(CodePages, WhichCodePagesAreCompiledAsTheyCome) {
  for (uint16_t cp : {1208, 1252, 850, 819}) EXPECT_FALSE(needsConversion(cp)) << cp;
  for (uint16_t cp : {37, 437, 932, 1386}) EXPECT_TRUE(needsConversion(cp)) << cp;
}

// ---- threads ----

TEST(Threads, ConversionsOnSeveralThreadsAtOnce) {
  const std::vector<std::pair<uint16_t, std::string>> pages = {{37, "SELECT 'caf\xC3\xA9' FROM dual"},
                                                               {1252, "SELECT 'caf\xC3\xA9' FROM dual"},
                                                               {943, "SELECT '\xE6\x97\xA5' FROM dual"},
                                                               {1250, "SELECT 'caf\xC3\xA9' FROM dual"}};
  std::vector<int> wrong(pages.size(), 0);
  std::vector<std::thread> threads;
  for (size_t t = 0; t < pages.size(); ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 500; ++i) {
        const auto& [cp, utf8] = pages[(t + static_cast<size_t>(i)) % pages.size()];
        uint32_t rc = 1;
        const std::string native = convert(utf8, 1208, cp, &rc);
        if (rc != 0 || convert(native, cp, 1208, &rc) != utf8 || rc != 0) ++wrong[t];
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (size_t t = 0; t < pages.size(); ++t) EXPECT_EQ(wrong[t], 0) << "thread " << t;
}

TEST(Threads, ConcurrentCallsGiveTheSameResultsAsOneThread) {
  const std::vector<std::string> inputs = {
      "BEGIN NULL; END;",
      "CREATE PROCEDURE p IS BEGIN x := ; END;",
      "CREATE OR REPLACE FUNCTION f RETURN NUMBER IS BEGIN RETURN 1; END;",
      "DROP PACKAGE pk;",
      "BEGIN 'unterminated",
      "",
  };
  std::vector<std::pair<SQLCA, std::string>> expected;
  for (const std::string& input : inputs) {
    CallerStatement caller(input);
    const SQLCA sqlca = call(caller, XCOMP_MODE_COMPILE_ONLY);
    expected.emplace_back(sqlca, caller.text());
  }
  constexpr int threadCount = 8;
  constexpr int callsPerThread = 1000;
  std::vector<int> mismatches(threadCount, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < threadCount; ++t) {
    threads.emplace_back([&, t] {
      auto caller = std::make_unique<CallerStatement>("");
      for (int i = 0; i < callsPerThread; ++i) {
        const size_t which = static_cast<size_t>(i + t) % inputs.size();
        caller->set(inputs[which]);
        SQLCA sqlca;
        clearSqlca(&sqlca);
        const XcompOptions options{XCOMP_MODE_COMPILE_ONLY};
        xcomp2(caller->statement(), &options, &sqlca);
        if (std::memcmp(&sqlca, &expected[which].first, sizeof sqlca) != 0 || caller->text() != expected[which].second)
          ++mismatches[t];
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int t = 0; t < threadCount; ++t) EXPECT_EQ(mismatches[t], 0) << "thread " << t;
}

}  // namespace
