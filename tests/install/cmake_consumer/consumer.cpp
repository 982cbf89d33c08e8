// consumer.cpp - a C++ program built against an installed xcomp2 through find_package only: one
// compile-only call of an anonymous block, its SQLCA and the generated text checked.
#include <xcomp2.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

int main() {
  const std::string source = "DECLARE\n  n NUMBER := 0;\nBEGIN\n  n := n + 1;\nEND;";
  // The caller's statement area: the length, then room for the longest statement and a NUL.
  std::vector<char> area(sizeof(uint32_t) + XCOMP_MAX_STATEMENT + 1);
  auto* statement = reinterpret_cast<XcompStatement*>(area.data());
  statement->length = static_cast<uint32_t>(source.size());
  std::memcpy(statement->text, source.data(), source.size());
  const XcompOptions options{XCOMP_MODE_COMPILE_ONLY};
  SQLCA sqlca{};
  if (xcomp2(statement, &options, &sqlca) != 1 || sqlca.sqlcode != 0) {
    std::fprintf(stderr, "sqlcode %d: %.*s\n", static_cast<int>(sqlca.sqlcode), static_cast<int>(sqlca.sqlerrml),
                 sqlca.sqlerrmc);
    return 1;
  }
  const std::string text(statement->text, statement->length);
  if (text.find("BEGIN") != 0 || text.find("DECLARE n") == std::string::npos) {
    std::fprintf(stderr, "unexpected text:\n%s\n", text.c_str());
    return 1;
  }
  std::printf("c++ consumer: ok\n");
  return 0;
}
