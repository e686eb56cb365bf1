// The members of Database that each make one guarded call or none: transactions, the table
// directory, IncStr, the descriptive texts, and the dispatch interface.
#include <gtest/gtest.h>

#include <string>

#include "automation/automation_error.h"
#include "automation/dispatch.h"
#include "automation/text.h"
#include "records/table.h"
#include "session/database.h"
#include "session/db_client.h"
#include "session/dispatch_ids.h"
#include "session_fixture.h"

namespace talmo::testing {
namespace {

using automation::Variant;

class DatabaseMembersTest : public SessionTest {
 protected:
  automation::Ref<Database> database_ = nullptr;
  void SetUp() override {
    SessionTest::SetUp();
    database_ = CreateDatabase();
  }
  void TearDown() override {
    database_.reset();
    SessionTest::TearDown();
  }
};

struct TransactionCase {
  std::string name;
  void (Database::*member)();
  automation::DispId clientMember;
};

class TransactionTest : public DatabaseMembersTest,
                        public ::testing::WithParamInterface<TransactionCase> {};

TEST_P(TransactionTest, IsOneGuardedCallWithoutArguments) {
  RecordingDbClient& client = InstallConnectedClient();
  (database_.get()->*GetParam().member)();
  EXPECT_EQ(client.Trace(), "1:=True " + std::to_string(GetParam().clientMember) + " 1:=False");
  ASSERT_EQ(client.calls().size(), 4u);
  EXPECT_TRUE(client.calls()[1].args.empty());
}

TEST_P(TransactionTest, ReportsTheClientsErrorWithItsNumber) {
  RecordingDbClient& client = InstallConnectedClient();
  client.AlwaysFail(GetParam().clientMember, ClientCode(24, 2));
  const automation::AutomationError error =
      ErrorOf([&] { (database_.get()->*GetParam().member)(); });
  EXPECT_EQ(error.number(), 2);
  EXPECT_EQ(error.source(), u"Talmo");
  // The check put member 1 := False before raising.
  EXPECT_EQ(client.Trace(), "1:=True " + std::to_string(GetParam().clientMember) + " 1:=False");
}

TEST_P(TransactionTest, WithoutAConnectionRaisesObjectNotSet) {
  EXPECT_EQ(ErrorOf([&] { (database_.get()->*GetParam().member)(); }).number(), 91);
}

INSTANTIATE_TEST_SUITE_P(Members, TransactionTest,
                         ::testing::Values(TransactionCase{"BWT", &Database::BWT, 36},
                                           TransactionCase{"EWT", &Database::EWT, 37},
                                           TransactionCase{"AWT", &Database::AWT, 38},
                                           TransactionCase{"SelectLatestVersion",
                                                           &Database::SelectLatestVersion, 35}),
                         [](const auto& info) { return info.param.name; });

TEST_F(DatabaseMembersTest, ViewErrorsTurnsTheClientsOwnDisplayOnDuringCalls) {
  RecordingDbClient& client = InstallConnectedClient();
  database_->SetViewErrors(true);
  database_->BWT();
  EXPECT_EQ(client.Trace(), "1:=False 36 1:=False");
}

struct NumberCase {
  std::string name;
  Variant id;
  int32_t expected;
};

class TableNoNumberTest : public DatabaseMembersTest,
                          public ::testing::WithParamInterface<NumberCase> {};

TEST_P(TableNoNumberTest, ReturnsIntegersAsTheyAreWithoutAConnection) {
  EXPECT_EQ(database_->TableNo(GetParam().id), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Values, TableNoNumberTest,
                         ::testing::Values(NumberCase{"Integer", Variant(int16_t{18}), 18},
                                           NumberCase{"Long", Variant(int32_t{37}), 37},
                                           NumberCase{"NegativeLong", Variant(int32_t{-5}), -5},
                                           NumberCase{"LongNeverUsed", Variant(99999), 99999}),
                         [](const auto& info) { return info.param.name; });

TEST_F(DatabaseMembersTest, TableNoLooksThroughAByReferenceArgument) {
  Variant id(int16_t{36});
  EXPECT_EQ(database_->TableNo(Variant::ByRef(&id)), 36);
}

class TableNoWrongTypeTest : public DatabaseMembersTest,
                             public ::testing::WithParamInterface<std::pair<std::string, Variant>> {
};

TEST_P(TableNoWrongTypeTest, RaisesTheIdTypeError) {
  RecordingDbClient& client = InstallConnectedClient();
  const automation::AutomationError error = ErrorOf([&] { database_->TableNo(GetParam().second); });
  EXPECT_EQ(error.number(), 999);
  EXPECT_EQ(error.description(), u"ID tabulky musí být typu String nebo Long");
  EXPECT_TRUE(client.calls().empty());
}

INSTANTIATE_TEST_SUITE_P(Types, TableNoWrongTypeTest,
                         ::testing::Values(std::pair{std::string("Double"), Variant(18.0)},
                                           std::pair{std::string("Single"), Variant(18.0f)},
                                           std::pair{std::string("Currency"),
                                                     Variant(automation::Currency{180000})},
                                           std::pair{std::string("Byte"), Variant(uint8_t{18})},
                                           std::pair{std::string("Boolean"), Variant(true)},
                                           std::pair{std::string("Empty"), Variant()},
                                           std::pair{std::string("Null"), Variant::Null()},
                                           std::pair{std::string("Nothing"), Variant::Nothing()},
                                           std::pair{std::string("Date"), Variant::Date(18.0)}),
                         [](const auto& info) { return info.param.first; });

TEST_F(DatabaseMembersTest, TableNoOfANameAsksTheClientPassingTheNameByValue) {
  RecordingDbClient& client = InstallConnectedClient();
  client.Returns(12, Variant(u"18"));
  EXPECT_EQ(database_->TableNo(Variant(u"Customer")), 18);
  EXPECT_EQ(client.Trace(), "1:=True 12 1:=False");
  const RecordedCall call = client.CallsOf(12).front();
  ASSERT_EQ(call.args.size(), 1u);
  EXPECT_EQ(call.args[0].ToString(), u"Customer");
  EXPECT_FALSE(call.byRef[0]);
}

TEST_F(DatabaseMembersTest, TableNoOfANameNeedsTheConnection) {
  EXPECT_EQ(ErrorOf([&] { database_->TableNo(Variant(u"Customer")); }).number(), 91);
}

TEST_F(DatabaseMembersTest, AllocTableOfAWrongTypeCreatesNoTable) {
  RecordingDbClient& client = InstallConnectedClient();
  EXPECT_EQ(ErrorOf([&] { database_->AllocTable(Variant(27.0)); }).number(), 999);
  EXPECT_TRUE(client.calls().empty());
}

TEST_F(DatabaseMembersTest, AllocTableWithoutAConnectionRaisesObjectNotSet) {
  EXPECT_EQ(ErrorOf([&] { database_->AllocTable(Variant(int32_t{27})); }).number(), 91);
}

struct IncStrCase {
  std::string name;
  std::u16string text;
  std::u16string expected;
};

class IncStrTest : public DatabaseMembersTest, public ::testing::WithParamInterface<IncStrCase> {};

TEST_P(IncStrTest, IncreasesTheTrailingNumber) {
  EXPECT_EQ(database_->IncStr(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Texts, IncStrTest,
                         ::testing::Values(IncStrCase{"KeepsWidth", u"A0099", u"A0100"},
                                           IncStrCase{"Grows", u"A9", u"A10"},
                                           IncStrCase{"DigitsOnly", u"999", u"1000"},
                                           IncStrCase{"DigitsInside", u"12AB99", u"12AB100"},
                                           IncStrCase{"DocumentNo", u"OBJ00009", u"OBJ00010"}),
                         [](const auto& info) { return info.param.name; });

TEST_F(DatabaseMembersTest, IncStrWithoutDigitsIsATypeMismatchAndBeyondLongAnOverflow) {
  EXPECT_EQ(ErrorOf([&] { database_->IncStr(u"ABC"); }).number(), 13);
  EXPECT_EQ(ErrorOf([&] { database_->IncStr(u""); }).number(), 13);
  EXPECT_EQ(ErrorOf([&] { database_->IncStr(u"2147483647"); }).number(), 6);
  EXPECT_EQ(ErrorOf([&] { database_->IncStr(u"X99999999999"); }).number(), 6);
}

TEST_F(DatabaseMembersTest, VersionAndAbout) {
  EXPECT_EQ(database_->Version(), u"1.0.6");
  const std::u16string about = database_->About();
  const size_t lineBreak = about.find(u"\r\n");
  ASSERT_NE(lineBreak, std::u16string::npos);
  EXPECT_EQ(about.substr(0, lineBreak), u"Talmo 1.0.6");
  EXPECT_GT(about.size(), lineBreak + 2);
  EXPECT_EQ(about.find(u"\r\n", lineBreak + 2), std::u16string::npos);
}

// Calls a member of `object` through the dispatch interface, as a late-bound client does.
Variant Invoke(automation::Dispatch* object, std::u16string_view name, automation::InvokeKind kind,
               std::vector<Variant> args = {}) {
  const automation::DispId id = automation::GetDispId(object, name);
  Variant result;
  automation::InvokeOrThrow(object, id, kind, args, result);
  return result;
}

TEST_F(DatabaseMembersTest, DispatchNamesResolveCaseInsensitivelyToTheDocumentedIds) {
  EXPECT_EQ(database_->GetIDsOfNames(u"navisionpath"), database_id::kNavisionPath);
  EXPECT_EQ(database_->GetIDsOfNames(u"TABLENO"), database_id::kTableNo);
  EXPECT_EQ(database_->GetIDsOfNames(u"Disconnect"), database_id::kDisconnect);
  EXPECT_EQ(database_->GetIDsOfNames(u"GetStat"), database_id::kGetStat);
  EXPECT_EQ(database_->GetIDsOfNames(u"NoSuchMember"), automation::kDispIdUnknown);
}

TEST_F(DatabaseMembersTest, DispatchCoercesArgumentsAndReturnsTypedResults) {
  using automation::InvokeKind;
  Invoke(database_.get(), u"NavisionPath", InvokeKind::kPropertyPut, {Variant(u"/lib")});
  EXPECT_EQ(Invoke(database_.get(), u"NavisionPath", InvokeKind::kPropertyGet).ToString(), u"/lib");
  EXPECT_EQ(Invoke(database_.get(), u"Version", InvokeKind::kMethod).ToString(), u"1.0.6");
  const Variant tableNo =
      Invoke(database_.get(), u"TableNo", InvokeKind::kMethod, {Variant(int16_t{18})});
  EXPECT_EQ(tableNo.type(), automation::VarType::kLong);
  EXPECT_EQ(tableNo.ToLong(), 18);
  EXPECT_EQ(
      Invoke(database_.get(), u"IncStr", InvokeKind::kMethod, {Variant(int32_t{41})}).ToString(),
      u"42");
  Invoke(database_.get(), u"ViewErrors", InvokeKind::kPropertyPut, {Variant(int32_t{1})});
  const Variant viewErrors = Invoke(database_.get(), u"ViewErrors", InvokeKind::kPropertyGet);
  EXPECT_EQ(viewErrors.type(), automation::VarType::kBoolean);
  EXPECT_TRUE(viewErrors.ToBoolean());
  EXPECT_EQ(Invoke(database_.get(), u"GetStat", InvokeKind::kPropertyGet, {Variant(u"1")}).ToLong(),
            database_->SessionNumber());
}

TEST_F(DatabaseMembersTest, DispatchRefusesWrongKindsCountsAndIds) {
  using automation::InvokeKind;
  EXPECT_EQ(ErrorOf([&] {
              Invoke(database_.get(), u"Version", InvokeKind::kPropertyPut, {Variant(1)});
            }).number(),
            438);
  EXPECT_EQ(ErrorOf([&] { Invoke(database_.get(), u"TableNo", InvokeKind::kMethod); }).number(),
            449);
  EXPECT_EQ(ErrorOf([&] {
              Invoke(database_.get(), u"TableNo", InvokeKind::kMethod, {Variant(1), Variant(2)});
            }).number(),
            450);
  Variant result;
  std::vector<Variant> none;
  EXPECT_EQ(ErrorOf([&] {
              automation::InvokeOrThrow(database_.get(), 77, InvokeKind::kMethod, none, result);
            }).number(),
            438);
  EXPECT_EQ(ErrorOf([&] {
              Invoke(database_.get(), u"TableNo", InvokeKind::kMethod, {Variant(2.5)});
            }).number(),
            999);
}

TEST_F(DatabaseMembersTest, DispatchAutoConnectTakesAnOmittedIniNameAsOptional) {
  // With a connected client that reports an open company, AutoConnect returns at once, so
  // an omitted or Missing file name is accepted without reading any file.
  RecordingDbClient& client = InstallConnectedClient();
  client.Returns(40, Variant(u"CRONUS"));
  Invoke(database_.get(), u"AutoConnect", automation::InvokeKind::kMethod);
  Invoke(database_.get(), u"AutoConnect", automation::InvokeKind::kMethod, {Variant::Missing()});
  EXPECT_EQ(client.Trace(), "1:=True 40 1:=False 1:=True 40 1:=False");
}

}  // namespace
}  // namespace talmo::testing
