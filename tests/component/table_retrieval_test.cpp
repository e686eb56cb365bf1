// Table's retrieval against the recording client: key lookups on a temporary handle, Find's
// accepted answers and %12, NextRec, SetRange, SetFilter, keys, Count and LockTable.
#include <gtest/gtest.h>

#include <string>

#include "automation/automation_error.h"
#include "automation/text.h"
#include "records/table.h"
#include "session/database.h"
#include "table_client_model.h"
#include "temp_folder.h"

namespace talmo::testing {
namespace {

using automation::MakeRef;
using automation::Ref;
using automation::Variant;
using automation::VarType;

class TableRetrievalTest : public TableClientTest {};

TEST_F(TableRetrievalTest, GetRecLooksUpOnATemporaryHandleAndCopiesTheFoundRecord) {
  Ref<Table> table = Allocated();
  const Variant key[] = {Variant(u"10000")};
  const Variant found = table->GetRec(key);
  EXPECT_EQ(found.type(), VarType::kBoolean);
  EXPECT_TRUE(found.ToBoolean());
  // FieldName (32) builds the message text as an inner call with its own guard.
  EXPECT_EQ(client_->Trace(), "1:=True 47 15 25 51 1:=True 32 1:=False 56 62 19 17 16 13 1:=False");
  const int32_t temporary = nextTableHandle_;  // the only handle opened here
  ASSERT_NE(temporary, table->cfHTable());
  EXPECT_EQ(client_->CallsOf(47).at(0).args[1].ToLong(), 18);
  const RecordedCall assign = client_->CallsOf(56).at(0);
  EXPECT_EQ(assign.args[0].ToLong(), temporary);
  EXPECT_EQ(assign.args[2].ToLong(), 1);
  EXPECT_EQ(assign.args[3].ToString(), u"10000");
  EXPECT_TRUE(assign.byRef[3]);
  const RecordedCall find = client_->CallsOf(19).at(0);
  EXPECT_EQ(find.args[0].ToLong(), temporary);
  EXPECT_EQ(find.args[2].ToString(), u"=");
  EXPECT_FALSE(find.byRef[2]);
  const RecordedCall copy = client_->CallsOf(17).at(0);
  EXPECT_EQ(copy.args[0].ToLong(), temporary);
  EXPECT_EQ(copy.args[1].ToLong(), table->cfHRec());
  EXPECT_EQ(copy.args[2].ToLong(), find.args[1].ToLong());
  // Only the field name is asked on the object's own handle.
  EXPECT_EQ(CallsOnHandle(table->cfHTable()), std::vector<automation::DispId>{32});
  EXPECT_EQ(table->tmpCountGet(), 1);
}

TEST_F(TableRetrievalTest, MemberSixtyTwoComesRightBeforeTheSearchWithoutAnErrorCheck) {
  Ref<Table> table = Allocated();
  table->GetRecT({});
  const std::vector<RecordedCall>& calls = client_->calls();
  size_t i = 0;
  while (i < calls.size() && calls[i].member != 62) ++i;
  ASSERT_LT(i + 1, calls.size());
  EXPECT_EQ(calls[i + 1].member, 19);
  EXPECT_TRUE(client_->CallsOf(56).empty());  // no values: the key keeps its initial values
}

TEST_F(TableRetrievalTest, GetRecTMissingReturnsFalseAndLeavesTheObjectsHandlesAlone) {
  tables_[18].findResult = 0;
  Ref<Table> table = Allocated();
  const Variant key[] = {
      Variant(u"X"),
  };
  EXPECT_FALSE(table->GetRecT(key));
  EXPECT_EQ(client_->Trace(), "1:=True 47 15 25 51 56 62 19 16 13 1:=False");
  EXPECT_TRUE(CallsOnHandle(table->cfHTable()).empty());
  EXPECT_EQ(table->tmpCountGet(), 1);
}

TEST_F(TableRetrievalTest, GetRecMissingNamesTheTableAndEveryKeyValue) {
  tables_[18].primaryKey = {1, 2};
  tables_[18].findResult = 0;
  Ref<Table> table = Allocated();
  const Variant key[] = {Variant(u"20000"), Variant(int32_t{7})};
  const automation::AutomationError error = ErrorOf([&] { table->GetRec(key); });
  EXPECT_EQ(error.number(), 999);
  EXPECT_EQ(automation::ToUtf8(error.description()),
            "Záznam v tabulce \"Customer\" neexistuje!\r\n"
            "No. = 20000\r\nName = 7\r\n\r\n\r\n(Chyba příkazem GetRec)");
  EXPECT_TRUE(client_->CallsOf(17).empty());
  EXPECT_EQ(table->tmpCountGet(), 0);
}

TEST_F(TableRetrievalTest, ANullKeyValueShowsAsNothingInTheMessage) {
  tables_[18].findResult = 0;
  Ref<Table> table = Allocated();
  const Variant key[] = {Variant::Null()};
  const automation::AutomationError error = ErrorOf([&] { table->GetRec(key); });
  EXPECT_EQ(error.number(), 999);
  EXPECT_NE(error.description().find(u"\r\nNo. = \r\n"), std::u16string::npos);
}

TEST_F(TableRetrievalTest, MoreValuesThanKeyFieldsRaiseSubscriptOutOfRangeAtTheExtraValue) {
  Ref<Table> table = Allocated();
  const Variant key[] = {Variant(u"A"), Variant(u"B")};
  EXPECT_EQ(ErrorOf([&] { table->GetRecT(key); }).number(), 9);
  EXPECT_EQ(client_->CallsOf(56).size(), 1u);
  EXPECT_TRUE(client_->CallsOf(19).empty());
}

// A message file whose text for 19.1200 shows the search method through %12.
class FindTest : public TableRetrievalTest {
 protected:
  void SetUp() override {
    TableRetrievalTest::SetUp();
    database_ = CreateDatabase();
    const std::string etx = "@1@19@\r\n@2@1200@\r\nChybná metoda %12.\r\n@2@END@0@\r\n";
    dir_.Write("fin.etx", automation::EncodeCodePage(automation::FromUtf8(etx), "CP852"));
    database_->SetNavisionPath(automation::FromUtf8(dir_.path().string()));
  }
  void TearDown() override {
    database_.reset();
    TableRetrievalTest::TearDown();
  }
  TempFolder dir_;
  Ref<Database> database_;
};

TEST_F(FindTest, PassesTheMethodByReferenceAndReportsFound) {
  Ref<Table> table = Allocated();
  EXPECT_TRUE(table->Find(u"+"));
  EXPECT_EQ(client_->Trace(), "1:=True 19 1:=False");
  const RecordedCall find = client_->CallsOf(19).at(0);
  EXPECT_EQ(find.args[0].ToLong(), table->cfHTable());
  EXPECT_EQ(find.args[1].ToLong(), table->cfHRec());
  EXPECT_EQ(find.args[2].ToString(), u"+");
  EXPECT_TRUE(find.byRef[2]);
}

TEST_F(FindTest, AcceptsOnlyTheNotFoundAnswersOfModuleNineteen) {
  Ref<Table> table = Allocated();
  tables_[18].findResult = 0;
  for (const int32_t number : {1008, 1095}) {
    client_->FailOn(19, ClientCode(19, number));
    EXPECT_FALSE(table->Find(u"="));
  }
  EXPECT_EQ(table->tmpCountFind(), 2);
  client_->FailOn(19, ClientCode(9, 1008));
  EXPECT_EQ(ErrorOf([&] { table->Find(u"="); }).number(), 1008);
  EXPECT_EQ(table->tmpCountFind(), 2);
}

TEST_F(FindTest, ARaisedErrorShowsTheSearchMethod) {
  Ref<Table> table = Allocated();
  client_->FailOn(19, ClientCode(19, 1200));
  const automation::AutomationError error = ErrorOf([&] { table->Find(u"=x"); });
  EXPECT_EQ(error.number(), 1200);
  EXPECT_EQ(error.description(), u"Chybná metoda =x.\r\n");
}

TEST_F(TableRetrievalTest, NextRecPassesItsStepAsAnIntegerAndAcceptsNoError) {
  client_->Returns(20, Variant(int16_t{-1}));
  Ref<Table> table = Allocated();
  EXPECT_EQ(table->NextRec(), -1);
  EXPECT_EQ(table->NextRec(-1), -1);
  const std::vector<RecordedCall> steps = client_->CallsOf(20);
  EXPECT_EQ(steps[0].args[2].type(), VarType::kInteger);
  EXPECT_EQ(steps[0].args[2].ToLong(), 1);
  EXPECT_TRUE(steps[0].byRef[2]);
  EXPECT_EQ(steps[1].args[2].ToLong(), -1);
  client_->FailOn(20, ClientCode(19, 1095));
  EXPECT_EQ(ErrorOf([&] { table->NextRec(); }).number(), 1095);
  EXPECT_EQ(table->tmpCountFind(), 2);
}

struct RangeCase {
  std::string name;
  const Variant* min;
  const Variant* max;
  std::string trace;
  Variant low;  // for member 50
  Variant high;
};

const Variant kEmptyText(u"");
const Variant kZero(int32_t{0});
const Variant kFalse(false);
const Variant kTen(int32_t{10});
const Variant kTwenty(int32_t{20});
const Variant kMissing = Variant::Missing();
const Variant kNull = Variant::Null();

// Same type and, except for Null, equal.
bool Same(const Variant& a, const Variant& b) {
  return a.type() == b.type() && (a.IsNull() || automation::Equals(a, b));
}

class SetRangeTest : public TableRetrievalTest, public ::testing::WithParamInterface<RangeCase> {};

TEST_P(SetRangeTest, RemovesTheFilterForAnEmptyMinimumAndSetsARangeOtherwise) {
  Ref<Table> table = Allocated();
  table->SetRange(Variant(int32_t{2}), GetParam().min, GetParam().max);
  EXPECT_EQ(client_->Trace(), GetParam().trace);
  if (GetParam().trace == "1:=True 44 1:=False") {
    const RecordedCall clear = client_->CallsOf(44).at(0);
    EXPECT_EQ(clear.args[1].ToLong(), 2);
    EXPECT_EQ(clear.args[2].type(), VarType::kString);
    EXPECT_EQ(clear.args[2].ToString(), u"");
    EXPECT_FALSE(clear.byRef[2]);
  } else {
    const RecordedCall range = client_->CallsOf(50).at(0);
    EXPECT_EQ(range.args[1].ToLong(), 2);
    EXPECT_TRUE(range.byRef[2] && range.byRef[3]);
    EXPECT_TRUE(Same(range.args[2], GetParam().low));
    EXPECT_TRUE(Same(range.args[3], GetParam().high));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, SetRangeTest,
    ::testing::Values(
        RangeCase{"FieldOnly", nullptr, nullptr, "1:=True 44 1:=False", {}, {}},
        RangeCase{"MissingMinimum", &kMissing, nullptr, "1:=True 44 1:=False", {}, {}},
        RangeCase{"EmptyText", &kEmptyText, nullptr, "1:=True 44 1:=False", {}, {}},
        RangeCase{"Zero", &kZero, nullptr, "1:=True 44 1:=False", {}, {}},
        RangeCase{"False", &kFalse, nullptr, "1:=True 44 1:=False", {}, {}},
        RangeCase{"EmptyMinimumWithMaximum", &kEmptyText, &kTen, "1:=True 44 1:=False", {}, {}},
        RangeCase{"OneValue", &kTen, nullptr, "1:=True 50 1:=False", kTen, kTen},
        RangeCase{"MissingMaximum", &kTen, &kMissing, "1:=True 50 1:=False", kTen, kTen},
        RangeCase{"TwoValues", &kTen, &kTwenty, "1:=True 50 1:=False", kTen, kTwenty},
        RangeCase{"Null", &kNull, nullptr, "1:=True 50 1:=False", kNull, kNull}),
    [](const auto& info) { return info.param.name; });

TEST_F(TableRetrievalTest, SetRangeAndSetFilterResolveANamedFieldInsideTheirGuard) {
  client_->Returns(31, Variant(int32_t{2}));
  Ref<Table> table = Allocated();
  const Variant low(u"A");
  table->SetRange(Variant(u"Name"), &low);
  table->SetFilter(Variant(u"Name"), u"A*|B*");
  EXPECT_EQ(client_->Trace(),
            "1:=True 1:=True 31 1:=False 50 1:=False 1:=True 1:=True 31 1:=False 44 1:=False");
  const RecordedCall filter = client_->CallsOf(44).at(0);
  EXPECT_EQ(filter.args[0].ToLong(), table->cfHTable());
  EXPECT_EQ(filter.args[1].ToLong(), 2);
  EXPECT_EQ(filter.args[2].ToString(), u"A*|B*");
  EXPECT_TRUE(filter.byRef[2]);
}

TEST_F(TableRetrievalTest, SetCurrentKeyWithoutFieldsCallsNothing) {
  Ref<Table> table = Allocated();
  EXPECT_FALSE(table->SetCurrentKey({}));
  EXPECT_TRUE(client_->calls().empty());
}

TEST_F(TableRetrievalTest, SetCurrentKeyReadsTheKeyThenSetsAnArrayOfFieldNumbers) {
  client_->Returns(31, Variant(int32_t{2}));
  Ref<Table> table = Allocated();
  const Variant fields[] = {Variant(int16_t{3}), Variant(u"Name")};
  EXPECT_TRUE(table->SetCurrentKey(fields));
  EXPECT_EQ(client_->Trace(), "1:=True 51 1:=True 31 1:=False 53 1:=False");
  const RecordedCall set = client_->CallsOf(53).at(0);
  EXPECT_TRUE(set.byRef[1]);
  const automation::VariantArray& key = set.args[1].ToArray();
  EXPECT_EQ(key.LBound(), 0);
  ASSERT_EQ(key.size(), 2u);
  EXPECT_EQ(key.at(0).type(), VarType::kLong);
  EXPECT_EQ(key.at(0).ToLong(), 3);
  EXPECT_EQ(key.at(1).ToLong(), 2);
  client_->Returns(53, Variant(int32_t{0}));
  EXPECT_FALSE(table->SetCurrentKey(fields));
}

TEST_F(TableRetrievalTest, GetCurrentKeyCountAndLockTableAreSingleCallsOnTheTableHandle) {
  Ref<Table> table = Allocated();
  const Variant key = table->GetCurrentKey();
  ASSERT_TRUE(key.IsArray());
  EXPECT_EQ(key.ToArray().at(0).ToLong(), 1);
  EXPECT_EQ(table->Count(), 42);
  table->LockTable(true);
  table->LockTable(false);
  EXPECT_EQ(client_->Trace(),
            "1:=True 51 1:=False 1:=True 24 1:=False 1:=True 43 1:=False "
            "1:=True 43 1:=False");
  const std::vector<RecordedCall> locks = client_->CallsOf(43);
  EXPECT_EQ(locks[0].args[1].type(), VarType::kLong);
  EXPECT_EQ(locks[0].args[1].ToLong(), -1);
  EXPECT_FALSE(locks[0].byRef[1]);
  EXPECT_EQ(locks[1].args[1].ToLong(), 0);
  EXPECT_EQ(CallsOnHandle(table->cfHTable()), (std::vector<automation::DispId>{51, 24, 43, 43}));
}

}  // namespace
}  // namespace talmo::testing
