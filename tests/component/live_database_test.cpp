// Database through the registry against the real client and the sample database.
#include <gtest/gtest.h>

#include <string>

#include "automation/text.h"
#include "live_fixture.h"

namespace talmo::testing {
namespace {

using automation::Variant;

class LiveDatabaseTest : public LiveTest {
 protected:
  void Connect() {
    Call(database_.get(), u"AutoConnect", {Variant(WriteIni("Talmo.ini", SampleIniBody()))});
  }
};

TEST_F(LiveDatabaseTest, ConnectsAndOpensTheSampleCompany) {
  Connect();
  EXPECT_EQ(Call(database_.get(), u"CompanyName").ToString(),
            automation::FromUtf8(TALMO_SAMPLE_COMPANY));
  EXPECT_EQ(Get(database_.get(), u"NavisionPath").ToString(), automation::FromUtf8(TALMO_BIN_DIR));
  // A second AutoConnect with the company open returns at once.
  Call(database_.get(), u"AutoConnect", {Variant(WriteIni("Other.ini", "Database=/nowhere.db\n"))});
  EXPECT_EQ(Get(database_.get(), u"NavisionPath").ToString(), automation::FromUtf8(TALMO_BIN_DIR));
}

TEST_F(LiveDatabaseTest, WithoutAFileNameUsesTheTalmoIniBesideTheLibrary) {
  Call(database_.get(), u"AutoConnect");
  EXPECT_EQ(Call(database_.get(), u"CompanyName").ToString(),
            automation::FromUtf8(TALMO_SAMPLE_COMPANY));
}

TEST_F(LiveDatabaseTest, ResolvesTableNamesThroughTheClient) {
  Connect();
  EXPECT_EQ(Call(database_.get(), u"TableNo", {Variant(int16_t{18})}).ToLong(), 18);
  const int32_t customer = Call(database_.get(), u"TableNo", {Variant(u"Customer")}).ToLong();
  EXPECT_EQ(customer, 18);
}

TEST_F(LiveDatabaseTest, AClientErrorCarriesTheCzechMessageWithTheNameFilledIn) {
  Connect();
  const automation::AutomationError error =
      ErrorOf([&] { Call(database_.get(), u"TableNo", {Variant(u"Nonexistent")}); });
  EXPECT_EQ(error.number(), 3);
  EXPECT_EQ(error.source(), u"Talmo");
  EXPECT_EQ(error.description(), u"Tabulka Nonexistent neexistuje.\r\n");
}

TEST_F(LiveDatabaseTest, TransactionsReportMisplacedCommandsAsClientErrors) {
  Connect();
  Call(database_.get(), u"BWT");
  Call(database_.get(), u"AWT");
  const automation::AutomationError error = ErrorOf([&] { Call(database_.get(), u"EWT"); });
  EXPECT_NE(error.number(), 0);
  EXPECT_EQ(error.description().find(u"Unknown error"), std::u16string::npos)
      << automation::ToUtf8(error.description());
  Call(database_.get(), u"SelectLatestVersion");
}

TEST_F(LiveDatabaseTest, AllocTableBindsATableAndAttachesTheRulesOfItsTable) {
  Connect();
  const automation::Ref<automation::Dispatch> items =
      Call(database_.get(), u"AllocTable", {Variant(int32_t{27})}).ToObject();
  ASSERT_TRUE(items);
  EXPECT_EQ(Get(items.get(), u"TableNo").ToLong(), 27);
  EXPECT_NE(Get(items.get(), u"cfHTable").ToLong(), 0);
  EXPECT_FALSE(Get(items.get(), u"EntryProcess").ToObject());

  const automation::Ref<automation::Dispatch> customers =
      Call(database_.get(), u"AllocTable", {Variant(u"Customer")}).ToObject();
  const automation::Ref<automation::Dispatch> rules =
      Get(customers.get(), u"EntryProcess").ToObject();
  ASSERT_TRUE(rules);
  EXPECT_EQ(Get(rules.get(), u"Rec").ToObject(), customers);
}

TEST_F(LiveDatabaseTest, AWrongDatabaseFileFailsAndLeavesTheProcessFreeToConnect) {
  const std::u16string bad =
      WriteIni("Bad.ini", "LibPath=" + std::string(TALMO_BIN_DIR) +
                              "\nDatabase=" + (Dir().path() / "missing.db").string() + "\n");
  const automation::AutomationError error =
      ErrorOf([&] { Call(database_.get(), u"AutoConnect", {Variant(bad)}); });
  EXPECT_EQ(error.source(), u"Talmo");
  EXPECT_EQ(error.description().find(u"Unknown error"), std::u16string::npos)
      << automation::ToUtf8(error.description());
  Connect();
  EXPECT_EQ(Call(database_.get(), u"CompanyName").ToString(),
            automation::FromUtf8(TALMO_SAMPLE_COMPANY));
}

TEST_F(LiveDatabaseTest, TheComponentDescribesItself) {
  EXPECT_EQ(Call(database_.get(), u"Version").ToString(), u"1.0.6");
  EXPECT_EQ(Call(database_.get(), u"About").ToString().rfind(u"Talmo 1.0.6\r\n", 0), 0u);
  EXPECT_EQ(Get(database_.get(), u"GetStat", {Variant(int32_t{2})}).ToLong(), 1);
}

}  // namespace
}  // namespace talmo::testing
