// The xcomp command as a user meets it: exit codes, standard input, -o, option errors and code pages.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace {

struct CliRun {
  int status;
  std::string out;
};

// Runs xcomp through the shell with `args`, feeding `input` on standard input; stderr joins stdout.
CliRun xcomp(const std::string& args, const std::string& input = "") {
  char inputPath[] = "/tmp/xcomp-cli-in-XXXXXX";
  const int fd = mkstemp(inputPath);
  EXPECT_GE(fd, 0);
  EXPECT_EQ(write(fd, input.data(), input.size()), static_cast<ssize_t>(input.size()));
  close(fd);
  const std::string command = std::string(XCOMP_BINARY_DIR) + "/xcomp " + args + " <" + inputPath + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  std::string out;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  const int status = pclose(pipe);
  std::remove(inputPath);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

std::string tempFile(const std::string& content) {
  char path[] = "/tmp/xcomp-cli-XXXXXX";
  const int fd = mkstemp(path);
  EXPECT_EQ(write(fd, content.data(), content.size()), static_cast<ssize_t>(content.size()));
  close(fd);
  return path;
}

TEST(Cli, ExitStatusTellsWhetherEveryRequestCompiled) {
  EXPECT_EQ(xcomp("", "BEGIN NULL; END;\n").status, 0);
  const CliRun failed = xcomp("", "BEGIN NULL; END;\n/\nBEGIN IF x THEN NULL; END;\n/\nBEGIN NULL; END;\n");
  EXPECT_EQ(failed.status, 1);
  EXPECT_NE(failed.out.find("<stdin>:3: error: "), std::string::npos) << failed.out;
  EXPECT_EQ(xcomp("/nonexistent/file.sql").status, 2);
  EXPECT_EQ(xcomp("--no-such-option").status, 2);
  EXPECT_EQ(xcomp("--codepage 4242").status, 2);
  EXPECT_EQ(xcomp("--compat 9").status, 2);
  EXPECT_EQ(xcomp("-o").status, 2);
}

TEST(Cli, UnreadableFileDoesNotStopTheOthers) {
  const std::string good = tempFile("BEGIN NULL; END;\n");
  const CliRun run = xcomp("/nonexistent/a.sql " + good);
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.out.find("cannot read '/nonexistent/a.sql'"), std::string::npos);
  EXPECT_NE(run.out.find("BEGIN"), std::string::npos) << "the readable file is still translated";
  std::remove(good.c_str());
}

TEST(Cli, HelpVersionAndOutputFile) {
  const CliRun help = xcomp("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("usage: xcomp"), std::string::npos);
  const CliRun version = xcomp("--version");
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("xcomp ", 0), 0u);

  const std::string out = tempFile("");
  const CliRun run = xcomp("-o " + out + " -", "DROP PACKAGE pk\n");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "");
  std::ifstream in(out);
  std::stringstream written;
  written << in.rdbuf();
  EXPECT_NE(written.str().find("DROP MODULE pk"), std::string::npos) << written.str();
  std::remove(out.c_str());
}

TEST(Cli, CodePageInputIsConvertedAndOutputConvertedBack) {
  // 'caf\xE9' in code page 37 (EBCDIC): the request is converted to UTF-8 for compiling and the
  // statement converted back, so the output is EBCDIC too.
  const std::string ebcdic =
      "\xC2\xC5\xC7\xC9\xD5\x40\xA7\x40\x7A\x7E\x40\x7D\x83\x81\x86\x51\x7D\x5E\x40\xC5\xD5\xC4\x5E\x25";
  const CliRun run = xcomp("--no-line-markers --codepage 37", ebcdic);
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_NE(run.out.find("\x7D\x83\x81\x86\x51\x7D"), std::string::npos) << "the literal comes back in EBCDIC";
  EXPECT_EQ(run.out.find("BEGIN"), std::string::npos) << "no ASCII text in the converted output";
}

TEST(Cli, JsonEscapesControlAndNonUtf8Bytes) {
  const CliRun run = xcomp("--json", "BEGIN x := 'a\tb\xFF'; END;\n");
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_NE(run.out.find("a\\tb\\u00ff"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("\"request\": 1, \"firstLine\": 1, \"ok\": true"), std::string::npos);
}

}  // namespace
