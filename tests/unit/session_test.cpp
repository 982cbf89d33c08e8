// How a compilation's settings pick and adjust the datatype map and the Oracle-error map.
#include <gtest/gtest.h>

#include <cstring>
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

TEST_F(SessionTest, TablesHaveTheirRowsInOrder) {
  EXPECT_EQ(typeMapRowCount(unicodeTypeMap), 22u);
  EXPECT_EQ(typeMapRowCount(nonUnicodeTypeMap), 19u);
  EXPECT_EQ(oraErrorRowCount(oraErrorMap), 67u);
  EXPECT_STREQ(unicodeTypeMap[0].plsqlName, "DOUBLE PRECISION");
  // Longer names must come before their prefixes for the first-prefix match to work.
  auto index = [](const char* name) {
    for (size_t i = 0; unicodeTypeMap[i].plsqlName != nullptr; ++i)
      if (std::strcmp(unicodeTypeMap[i].plsqlName, name) == 0) return i;
    return size_t{999};
  };
  EXPECT_LT(index("LONG RAW"), index("LONG"));
  EXPECT_LT(index("LONG VARCHAR"), index("LONG"));
  EXPECT_EQ(row(nonUnicodeTypeMap, "NCHAR"), nullptr);
  EXPECT_STREQ(row(nonUnicodeTypeMap, "RAW")->hostName, "BLOB");
  EXPECT_STREQ(row(nonUnicodeTypeMap, "RAW")->declSuffix, "(32767)");
  EXPECT_STREQ(row(unicodeTypeMap, "RAW")->hostName, "VARBINARY");
  // The named rows lead the error map, and the no-data-found pair comes first.
  EXPECT_STREQ(oraErrorMap[0].exceptionName, "NO_DATA_FOUND");
  EXPECT_STREQ(oraErrorMap[0].sqlstate, "ORANF");
  EXPECT_STREQ(oraErrorMap[13].exceptionName, "CASE_NOT_FOUND");
  EXPECT_EQ(oraErrorMap[14].exceptionName, nullptr);
  EXPECT_EQ(oraErrorMap[66].oraCode, -30006);
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

TEST_F(SessionTest, DefaultsWithoutCallerSettings) {
  SessionSettings settings;
  completeSettings(&settings, nullptr);
  EXPECT_EQ(settings.typeMap, unicodeTypeMap);
  EXPECT_EQ(settings.errorMap, oraErrorMap);
  EXPECT_EQ(settings.trackLines, 0);
  EXPECT_STREQ(settings.emitText, "");
  EXPECT_EQ(settings.stringUnits, 'S');
  EXPECT_EQ(settings.size, sizeof(SessionSettings));
}

TEST_F(SessionTest, SettingsForASessionAsTheEntryPointBuildsThem) {
  const SessionSettings unicode = sessionSettingsFor(1208, 'S', '2', '0');
  EXPECT_EQ(unicode.typeMap, nullptr);
  EXPECT_EQ(unicode.trackLines, 1);
  EXPECT_EQ(unicode.compatMode, '2');
  EXPECT_EQ(sessionSettingsFor(850, 'S', '0', '0').typeMap, nonUnicodeTypeMap);
}

}  // namespace
