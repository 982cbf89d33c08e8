// How a compilation's settings pick and adjust the datatype map and the Oracle-error map.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <set>
#include <string>

#include "diag/session.h"
#include "entry/entry.h"
#include "pool/pool.h"

namespace {

class SessionTest : public ::testing::Test {
 protected:
  void SetUp() override { contextInit(&recovery_); }
  void TearDown() override { contextRelease(); }

  static const TypeMapRow* row(const TypeMapRow* map, const char* name) {
    for (; map->plsqlName != nullptr; ++map) {
      if (std::strcmp(map->plsqlName, name) == 0) return map;
    }
    return nullptr;
  }
  static std::string paramSuffix(const TypeMapRow* map, const char* name) {
    const TypeMapRow* r = row(map, name);
    if (r == nullptr) return "<no row>";
    return r->paramSuffix == nullptr ? "-" : r->paramSuffix;
  }

 private:
  RecoveryPoint recovery_;
};

// Whether the words of `prefix` (blank-separated) begin the words of `name`.
bool wordsPrefix(const std::string& prefix, const std::string& name) {
  return name == prefix || name.rfind(prefix + " ", 0) == 0;
}

// The type of a declaration takes the first row whose words begin it, so a row behind one of its own
// prefixes could never be chosen ("LONG" before "LONG RAW" would map LONG RAW as LONG).
TEST_F(SessionTest, EveryTypeMapRowIsReachable) {
  for (const TypeMapRow* map : {unicodeTypeMap, nonUnicodeTypeMap}) {
    for (size_t i = 0; map[i].plsqlName != nullptr; ++i) {
      for (size_t k = 0; k < i; ++k) {
        EXPECT_FALSE(wordsPrefix(map[k].plsqlName, map[i].plsqlName))
            << map[k].plsqlName << " hides " << map[i].plsqlName;
      }
    }
  }
}

// The look-up by error number scans with an early exit, which relies on the named rows coming first and
// on each run descending, 100 counting as the highest; the look-up by name stops at the first unnamed row.
TEST_F(SessionTest, ErrorMapRunsAreNamedFirstAndEachDescends) {
  auto rank = [](int32_t code) { return code == 100 ? INT32_MAX : code; };
  size_t i = 0;
  for (; oraErrorMap[i].exceptionName != nullptr; ++i) {
    if (i > 0) {
      EXPECT_LE(rank(oraErrorMap[i].oraCode), rank(oraErrorMap[i - 1].oraCode)) << i;
    }
  }
  const size_t firstUnnamed = i;
  EXPECT_GT(firstUnnamed, 0u);
  for (; oraErrorMap[i].oraCode != 0; ++i) {
    EXPECT_EQ(oraErrorMap[i].exceptionName, nullptr) << i;
    if (i > firstUnnamed) {
      EXPECT_LE(rank(oraErrorMap[i].oraCode), rank(oraErrorMap[i - 1].oraCode)) << i;
    }
    EXPECT_EQ(std::strlen(oraErrorMap[i].sqlstate), 5u) << i;
  }
  EXPECT_GT(i, firstUnnamed);
  EXPECT_STREQ(oraErrorMap[0].exceptionName, "NO_DATA_FOUND");
  EXPECT_STREQ(oraErrorMap[0].sqlstate, "ORANF");
}

TEST_F(SessionTest, MapChoiceByCodePageStringUnitsAndNcharMapping) {
  struct Case {
    uint16_t codePage;
    char units;
    char nchar;
    const char* charSuffix;
    const char* ncharSuffix;
    const char* rawHost;
  };
  const Case cases[] = {
      {1208, 'S', '0', "(255)", "(127)", "VARBINARY"}, {1208, '4', '0', "(63)", "(127)", "VARBINARY"},
      {1208, 'S', '2', "(255)", "(63)", "VARBINARY"},  {1208, '4', '3', "(63)", "(63)", "VARBINARY"},
      {1208, 'S', '1', "(255)", "(127)", "VARBINARY"}, {1252, '4', '3', "(255)", "<no row>", "BLOB"},
      {37, 'S', '0', "(255)", "<no row>", "BLOB"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.codePage) + c.units + c.nchar);
    const SessionSettings caller = sessionSettingsFor(c.codePage, c.units, '0', c.nchar);
    SessionSettings settings;
    completeSettings(&settings, &caller);
    EXPECT_EQ(paramSuffix(settings.typeMap, "CHAR"), c.charSuffix);
    EXPECT_EQ(paramSuffix(settings.typeMap, "CHARACTER"), c.charSuffix);
    EXPECT_EQ(paramSuffix(settings.typeMap, "CHAR VARYING"), "(4096)");
    EXPECT_EQ(paramSuffix(settings.typeMap, "VARCHAR2"), "(4096)");
    EXPECT_EQ(paramSuffix(settings.typeMap, "NCHAR"), c.ncharSuffix);
    EXPECT_STREQ(row(settings.typeMap, "RAW")->hostName, c.rawHost);
    EXPECT_EQ(settings.errorMap, oraErrorMap);
  }
  // The static tables themselves never change.
  EXPECT_STREQ(row(unicodeTypeMap, "CHAR")->paramSuffix, "(255)");
  EXPECT_STREQ(row(unicodeTypeMap, "NCHAR")->paramSuffix, "(127)");
}

}  // namespace

// The extended error table only adds: a number the built-in map binds would never reach it, so a row for
// one is a mistake, as is a state that is not five characters or a number listed twice.
TEST(ExtendedErrorMap, AddsOnlyNumbersTheBuiltInMapLacksEachOnce) {
  std::set<int32_t> seen;
  for (const ExtendedErrorRow* row = extendedErrorMap; row->oraCode != 0; ++row) {
    EXPECT_LT(row->oraCode, 0);
    EXPECT_TRUE(seen.insert(row->oraCode).second) << row->oraCode;
    EXPECT_EQ(std::strlen(row->sqlstate), 5u) << row->oraCode;
    EXPECT_EQ(extendedErrorRow(row->oraCode), row);
    for (const OraErrorRow* built = oraErrorMap; built->oraCode != 0; ++built)
      EXPECT_NE(built->oraCode, row->oraCode) << "already in the built-in map";
  }
  EXPECT_EQ(extendedErrorRow(-1403), nullptr);
  EXPECT_EQ(extendedErrorRow(0), nullptr);
}

// xcomp2 builds its settings with these: an engine never compiles with an extension.
TEST(ExtendedErrorMap, EngineSettingsCarryNoExtension) {
  EXPECT_EQ(defaultSessionSettings().extensions, 0u);
  EXPECT_EQ(sessionSettingsFor(1208, 'S', '0', '0').extensions, 0u);
  EXPECT_EQ(sessionSettingsFor(850, '4', '2', '3').extensions, 0u);
  for (const ExtensionRow* row = extensionTable; row->name != nullptr; ++row)
    EXPECT_EQ(extensionNamed(row->name), row->bit);
  EXPECT_EQ(extensionNamed("all"), 0u);
}
