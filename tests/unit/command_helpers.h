// command_helpers.h - what the tests of the xcomp command share: a shell command's output and exit
// status, a file's text, and a scratch folder that goes away with the test.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

struct CommandRun {
  int status;       // the exit status, -1 when the command did not exit
  std::string out;  // standard output (the command redirects standard error where it wants it)
};

inline CommandRun runCommand(const std::string& command) {
  FILE* pipe = popen(command.c_str(), "r");
  std::string out;
  char buffer[65536];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  const int status = pclose(pipe);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

inline std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// A folder under /tmp named after `prefix`, removed with everything in it when the object goes.
class TempDir {
 public:
  explicit TempDir(const std::string& prefix) {
    std::string path = "/tmp/" + prefix + "-XXXXXX";
    root_ = mkdtemp(path.data());
  }
  ~TempDir() { std::filesystem::remove_all(root_); }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  // Writes `content` to `relative`, making its folders; the file's path.
  std::string add(const std::string& relative, const std::string& content) const {
    const std::filesystem::path path = root_ / relative;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << content;
    return path.string();
  }
  std::string path(const std::string& relative) const { return (root_ / relative).string(); }
  std::string root() const { return root_.string(); }

 private:
  std::filesystem::path root_;
};
