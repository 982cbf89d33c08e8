// out_dir.h - --out-dir: a code base in, a code base out. Each input file's translation is written
// under one directory at the file's relative path, its folders made as they are needed.
#pragma once

#include <string>

#include "script/inputs.h"

class OutDir {
 public:
  // Makes `directory` and its parents; false, with `error` saying why, when it cannot be made or is
  // not writable, so that a run stops before any file is read.
  bool open(const std::string& directory, std::string* error);

  // Writes `text` to the input's relative path under the directory, replacing any file there; false,
  // with `error` naming the file and the reason, when it cannot be written.
  bool write(const InputFile& input, const std::string& text, std::string* error) const;

 private:
  std::string directory_;
};
