// Mutated golden inputs through the whole compilation and through xcomp2: truncations at every kind of
// boundary, duplicated regions, random bytes, and nesting far deeper than any golden case. Whatever
// the damage, a compilation ends in results or error records, xcomp2 returns 1 with a well-formed SQLCA,
// and (under the sanitizer build) nothing leaks or is touched out of bounds. The mutations come from a
// fixed seed, so a failure names the case that reproduces it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "entry/entry.h"

namespace {

std::vector<std::string> goldenInputs() {
  std::vector<std::string> inputs;
  const std::filesystem::path root = std::filesystem::path(XCOMP_SOURCE_DIR) / "tests" / "golden";
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
    if (entry.is_regular_file() && entry.path().extension() == ".sql") files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  for (const auto& file : files) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    inputs.push_back(text.str());
  }
  return inputs;
}

struct Mutant {
  std::string name;
  std::string text;
};

std::vector<Mutant> mutants(const std::vector<std::string>& inputs) {
  std::mt19937 random(20261206);
  std::vector<Mutant> out;
  for (size_t i = 0; i < inputs.size(); ++i) {
    const std::string& text = inputs[i];
    if (text.empty()) continue;
    const std::string tag = "input " + std::to_string(i);
    auto at = [&](size_t limit) {
      return limit == 0 ? size_t{0} : std::uniform_int_distribution<size_t>(0, limit - 1)(random);
    };
    // Cut anywhere: inside a string, a comment, a keyword, between a statement and its ';'.
    const size_t cut = at(text.size());
    out.push_back({tag + " cut at " + std::to_string(cut), text.substr(0, cut)});
    // A region repeated, so that blocks, handlers and labels occur twice.
    const size_t from = at(text.size());
    const size_t length = at(text.size() - from + 1);
    std::string doubled = text;
    doubled.insert(from, text.substr(from, length));
    out.push_back({tag + " region doubled at " + std::to_string(from), doubled});
    // A few bytes replaced by arbitrary ones, NUL and 0xFF among them.
    std::string noisy = text;
    for (int k = 0; k < 4; ++k) noisy[at(noisy.size())] = static_cast<char>(random() & 0xff);
    out.push_back({tag + " bytes replaced", noisy});
    // Two inputs joined, so that one program runs into another.
    out.push_back({tag + " joined with the next", text + inputs[(i + 1) % inputs.size()]});
  }
  // Deep nesting of every construct that nests, well past what real code does.
  auto nest = [](const std::string& open, const std::string& inner, const std::string& close, int depth) {
    std::string text = "BEGIN\n";
    for (int d = 0; d < depth; ++d) text += open;
    text += inner;
    for (int d = 0; d < depth; ++d) text += close;
    return text + "END;\n";
  };
  out.push_back({"IF 300 deep", nest("IF x > 0 THEN\n", "y := 1;\n", "END IF;\n", 300)});
  out.push_back({"LOOP 300 deep", nest("LOOP\n", "EXIT;\n", "END LOOP;\n", 300)});
  out.push_back({"CASE 300 deep", nest("CASE WHEN x = 1 THEN\n", "y := 1;\n", "END CASE;\n", 300)});
  out.push_back({"blocks 300 deep", nest("BEGIN\n", "NULL;\n", "END;\n", 300)});
  out.push_back({"FOR 300 deep", nest("FOR i IN 1 .. 2 LOOP\n", "NULL;\n", "END LOOP;\n", 300)});
  out.push_back({"parentheses 3000 deep",
                 "BEGIN\n  x := " + std::string(3000, '(') + "1" + std::string(3000, ')') + ";\nEND;\n"});
  out.push_back({"unclosed blocks", nest("BEGIN\n", "NULL;\n", "", 400)});
  return out;
}

TEST(Mutation, DamagedInputsEndInResultsOrErrorsNeverWorse) {
  const std::vector<std::string> inputs = goldenInputs();
  ASSERT_GT(inputs.size(), 50u) << "the golden inputs were not found";
  const std::vector<Mutant> cases = mutants(inputs);
  SessionSettings settings = sessionSettingsFor(1208, 'S', '0', '0');
  for (const Mutant& mutant : cases) {
    SCOPED_TRACE(mutant.name);
    XcompResult* results = nullptr;
    CompileError* errors = nullptr;
    compileStatement(mutant.text.c_str(), &results, &errors, &settings);
    // A request either failed with a reason or produced text; never neither with a non-empty program.
    for (const CompileError* error = errors; error != nullptr; error = error->next) {
      ASSERT_NE(error->message, nullptr);
    }
    for (const XcompResult* result = results; result != nullptr; result = result->next) {
      ASSERT_EQ(std::strlen(result->text), result->length);
    }
    releaseCompilation(&results, &errors);
    EXPECT_EQ(results, nullptr);
    EXPECT_EQ(errors, nullptr);
  }
}

TEST(Mutation, DamagedInputsThroughTheEntryPointLeaveAWellFormedSqlca) {
  const std::vector<std::string> inputs = goldenInputs();
  const std::vector<Mutant> cases = mutants(inputs);
  std::vector<char> area(sizeof(uint32_t) + XCOMP_MAX_STATEMENT + 1);
  auto* statement = reinterpret_cast<XcompStatement*>(area.data());
  const XcompOptions options{XCOMP_MODE_COMPILE_ONLY};
  for (const Mutant& mutant : cases) {
    SCOPED_TRACE(mutant.name);
    statement->length = static_cast<uint32_t>(mutant.text.size());
    std::memcpy(statement->text, mutant.text.data(), mutant.text.size());
    SQLCA sqlca;
    clearSqlca(&sqlca);
    ASSERT_EQ(xcomp2(statement, &options, &sqlca), 1);
    ASSERT_GE(sqlca.sqlerrml, 0);
    ASSERT_LE(sqlca.sqlerrml, 69);
    if (sqlca.sqlcode < 0) {
      EXPECT_EQ(std::string(sqlca.sqlerrp, 8), "SQLEXC02");
      EXPECT_NE(sqlca.sqlerrd[4], 0);
    } else {
      // Success writes the generated statement back in place of the input.
      EXPECT_LE(statement->length, XCOMP_MAX_STATEMENT);
    }
  }
}

}  // namespace
