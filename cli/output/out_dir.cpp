// out_dir.cpp - writing translated files under --out-dir, from the runner's workers at once: each
// writes its own file, and folders two of them need are made by whichever comes first.
#include "out_dir.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

namespace fs = std::filesystem;

namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

std::string reason(int error) { return std::error_code(error, std::generic_category()).message(); }

}  // namespace

bool OutDir::open(const std::string& directory, std::string* error) {
  std::error_code made;
  fs::create_directories(directory, made);
  if (made) {
    *error = "cannot write to '" + directory + "': " + made.message();
    return false;
  }
  if (!fs::is_directory(directory, made)) {
    *error = "cannot write to '" + directory + "': not a directory";
    return false;
  }
  if (access(directory.c_str(), W_OK | X_OK) != 0) {
    *error = "cannot write to '" + directory + "': " + reason(errno);
    return false;
  }
  directory_ = directory;
  return true;
}

bool OutDir::write(const InputFile& input, const std::string& text, std::string* error) const {
  const fs::path target = fs::path(directory_) / input.relativePath;
  std::error_code made;
  fs::create_directories(target.parent_path(), made);
  errno = 0;
  const std::unique_ptr<std::FILE, FileCloser> file(made ? nullptr : std::fopen(target.c_str(), "wb"));
  bool written = file != nullptr && std::fwrite(text.data(), 1, text.size(), file.get()) == text.size() &&
                 std::fflush(file.get()) == 0;
  if (written) return true;
  *error = "cannot write '" + target.string() + "': " + (made ? made.message() : reason(errno));
  return false;
}
