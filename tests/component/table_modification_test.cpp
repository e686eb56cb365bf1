// Table's writes against the recording client: Insert (63 before 21, the refused insert),
// Modify accepting nothing, Delete, DeleteAll and CalcFields.
#include <gtest/gtest.h>

#include <string>

#include "automation/automation_error.h"
#include "records/table.h"
#include "table_client_model.h"

namespace talmo::testing {
namespace {

using automation::MakeRef;
using automation::Ref;
using automation::Variant;
using automation::VarType;

class TableModificationTest : public TableClientTest {};

TEST_F(TableModificationTest, InsertCallsSixtyThreeUncheckedRightBeforeTheInsert) {
  Ref<Table> table = Allocated();
  EXPECT_TRUE(table->Insert());
  EXPECT_EQ(client_->Trace(), "1:=True 63 21 1:=False");
  // The raw calls: 63 is followed by 21 directly, with no read of the last error between.
  const std::vector<RecordedCall>& calls = client_->calls();
  ASSERT_GE(calls.size(), 3u);
  EXPECT_EQ(calls[1].member, 63);
  EXPECT_EQ(calls[2].member, 21);
  const RecordedCall insert = client_->CallsOf(21).at(0);
  EXPECT_EQ(insert.args[0].ToLong(), table->cfHTable());
  EXPECT_EQ(insert.args[1].ToLong(), table->cfHRec());
  EXPECT_TRUE(insert.byRef[0] && insert.byRef[1]);
  EXPECT_EQ(table->tmpCountInsert(), 1);
}

TEST_F(TableModificationTest, ARefusedInsertIsFalseWhenTestedAndTheExistsErrorOtherwise) {
  client_->Returns(21, Variant(int32_t{0}));
  Ref<Table> table = Allocated();
  EXPECT_FALSE(table->Insert(true));
  EXPECT_EQ(table->tmpCountInsert(), 1);

  client_->ClearCalls();
  const automation::AutomationError error = ErrorOf([&] { table->Insert(); });
  EXPECT_EQ(error.number(), 1009);
  EXPECT_EQ(error.description().rfind(u"Unknown error 1009 in module 19\r\n:", 0), 0u);
  // The guard went off, then the error check put member 1 := False once more.
  EXPECT_EQ(client_->Trace(), "1:=True 63 21 1:=False 1:=False");
  EXPECT_EQ(table->tmpCountInsert(), 1);
}

TEST_F(TableModificationTest, AClientErrorOfTheInsertIsRaisedEvenWhenTested) {
  client_->FailOn(21, ClientCode(19, 1009));
  Ref<Table> table = Allocated();
  EXPECT_EQ(ErrorOf([&] { table->Insert(true); }).number(), 1009);
  EXPECT_EQ(table->tmpCountInsert(), 0);
}

TEST_F(TableModificationTest, ModifyAcceptsNoErrorNotEvenRecordNotFound) {
  Ref<Table> table = Allocated();
  EXPECT_TRUE(table->Modify());
  EXPECT_EQ(client_->Trace(), "1:=True 23 1:=False");
  client_->FailOn(23, ClientCode(19, 1008));
  EXPECT_EQ(ErrorOf([&] { table->Modify(); }).number(), 1008);
  EXPECT_EQ(table->tmpCountModify(), 1);
  client_->Returns(23, Variant(int32_t{0}));
  EXPECT_FALSE(table->Modify());
}

TEST_F(TableModificationTest, DeleteAndDeleteAllCountEachCallOnce) {
  Ref<Table> table = Allocated();
  EXPECT_TRUE(table->Delete());
  const Variant all = table->DeleteAll();
  EXPECT_EQ(all.type(), VarType::kEmpty);
  EXPECT_EQ(client_->Trace(), "1:=True 22 1:=False 1:=True 78 1:=False");
  const RecordedCall deleteAll = client_->CallsOf(78).at(0);
  ASSERT_EQ(deleteAll.args.size(), 1u);
  EXPECT_EQ(deleteAll.args[0].ToLong(), table->cfHTable());
  EXPECT_EQ(table->tmpCountDelete(), 2);
  client_->Returns(22, Variant(int32_t{0}));
  EXPECT_FALSE(table->Delete());
}

TEST_F(TableModificationTest, CalcFieldsResolvesEveryFieldBeforeCalculatingAny) {
  client_->Returns(31, Variant(int32_t{5}));
  Ref<Table> table = Allocated();
  const Variant fields[] = {Variant(int32_t{5}), Variant(u"Amount")};
  table->CalcFields(fields);
  EXPECT_EQ(client_->Trace(), "1:=True 31 1:=False 1:=True 59 59 1:=False");
  for (const RecordedCall& calc : client_->CallsOf(59)) {
    EXPECT_EQ(calc.args[2].type(), VarType::kLong);
    EXPECT_EQ(calc.args[2].ToLong(), 5);
    EXPECT_FALSE(calc.byRef[2]);
  }

  client_->ClearCalls();
  const Variant withBadOne[] = {Variant(int32_t{5}), Variant(u"Amount"), Variant(2.5)};
  EXPECT_EQ(ErrorOf([&] { table->CalcFields(withBadOne); }).number(), 999);
  EXPECT_TRUE(client_->CallsOf(59).empty());
}

}  // namespace
}  // namespace talmo::testing
