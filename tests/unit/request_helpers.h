// request_helpers.h - what the tests of xcomp2 share: a caller's statement record with the full text
// area, a clean SQLCA, a call in a given mode, the checks of one failure row, and environment
// variables that are put back when a test ends.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "entry/entry.h"

// A caller's statement record: the length word and the full text area, plus a guard byte behind it.
class CallerStatement {
 public:
  explicit CallerStatement(const std::string& text) : storage_(sizeof(uint32_t) + XCOMP_MAX_STATEMENT + 1, '\x5A') {
    set(text);
  }
  void set(const std::string& text) {
    statement()->length = static_cast<uint32_t>(text.size());
    std::memcpy(statement()->text, text.data(), text.size());
  }
  XcompStatement* statement() { return reinterpret_cast<XcompStatement*>(storage_.data()); }
  char guard() const { return storage_.back(); }
  std::string text() { return std::string(statement()->text, statement()->length); }

 private:
  std::vector<char> storage_;
};

inline SQLCA freshSqlca() {
  SQLCA sqlca;
  clearSqlca(&sqlca);
  return sqlca;
}

inline SQLCA call(CallerStatement& caller, uint32_t mode) {
  SQLCA sqlca = freshSqlca();
  const XcompOptions options{mode};
  EXPECT_EQ(xcomp2(caller.statement(), &options, &sqlca), 1);
  return sqlca;
}

inline std::string message(const SQLCA& sqlca) { return std::string(sqlca.sqlerrmc, sqlca.sqlerrml); }
inline std::string state(const SQLCA& sqlca) { return std::string(sqlca.sqlstate, 5); }

inline void expectFailure(const SQLCA& sqlca, int code, const char* sqlstate, const char* text, int point) {
  EXPECT_EQ(sqlca.sqlcode, code);
  EXPECT_EQ(state(sqlca), sqlstate);
  EXPECT_EQ(message(sqlca), text);
  EXPECT_EQ(sqlca.sqlerrd[4], point);
  EXPECT_EQ(std::string(sqlca.sqlerrp, 8), "SQLEXC02");
  EXPECT_EQ(sqlca.sqlerrmc[sqlca.sqlerrml], '\0');
}

// Sets (or, with null, unsets) an environment variable and restores it when the test ends.
class EnvOverride {
 public:
  EnvOverride(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) {
      old_ = old;
      hadValue_ = true;
    }
    if (value == nullptr) {
      unsetenv(name);
    } else {
      setenv(name, value, 1);
    }
  }
  EnvOverride(const EnvOverride&) = delete;
  EnvOverride& operator=(const EnvOverride&) = delete;
  ~EnvOverride() {
    if (hadValue_) {
      setenv(name_, old_.c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::string old_;
  bool hadValue_ = false;
};
