// Table reached late bound, as automation clients reach it: by dispatch id and by name,
// ParamArray members, optional arguments, the Field put by reference, the properties.
#include <gtest/gtest.h>

#include <string>

#include "automation/automation_error.h"
#include "automation/dispatch.h"
#include "records/table.h"
#include "table_client_model.h"

namespace talmo::testing {
namespace {

using automation::InvokeKind;
using automation::MakeRef;
using automation::Ref;
using automation::Variant;
using automation::VarType;
namespace id = table_dispid;

class TableDispatchTest : public TableClientTest {
 protected:
  void SetUp() override {
    TableClientTest::SetUp();
    table_ = Allocated();
  }
  void TearDown() override {
    table_.reset();
    TableClientTest::TearDown();
  }
  // Invoke without the throwing helpers: the failure as the platform reports it.
  automation::ExceptionInfo FailureOf(automation::DispId member, InvokeKind kind,
                                      std::vector<Variant> args) {
    Variant result;
    automation::ExceptionInfo info;
    EXPECT_FALSE(table_->Invoke(member, kind, args, result, info));
    return info;
  }
  Ref<Table> table_;
};

TEST_F(TableDispatchTest, NamesResolveCaseInsensitivelyToTheDocumentedIds) {
  EXPECT_EQ(table_->GetIDsOfNames(u"field"), 0);
  EXPECT_EQ(table_->GetIDsOfNames(u"GETREC"), id::kGetRec);
  EXPECT_EQ(table_->GetIDsOfNames(u"tmpcountdelete"), id::ktmpCountDelete);
  EXPECT_EQ(table_->GetIDsOfNames(u"FieldOptionStr"), id::kFieldOptionStr);
  EXPECT_EQ(table_->GetIDsOfNames(u"Rec"), automation::kDispIdUnknown);
}

TEST_F(TableDispatchTest, ParamArrayMembersReceiveEveryArgumentInOrder) {
  tables_[18].primaryKey = {1, 2};
  const Variant found = automation::CallMethod(
      table_.get(), automation::GetDispId(table_.get(), u"GetRecT"), Variant(u"A"), Variant(7));
  EXPECT_EQ(found.type(), VarType::kBoolean);
  const std::vector<RecordedCall> keys = client_->CallsOf(56);
  ASSERT_EQ(keys.size(), 2u);
  EXPECT_EQ(keys[0].args[3].ToString(), u"A");
  EXPECT_EQ(keys[1].args[3].ToLong(), 7);

  client_->ClearCalls();
  automation::CallMethod(table_.get(), id::kCalcFields);
  EXPECT_EQ(client_->Trace(), "1:=True 1:=False");
  EXPECT_FALSE(automation::CallMethod(table_.get(), id::kSetCurrentKey).ToBoolean());
}

TEST_F(TableDispatchTest, TheDefaultMemberReadsAndWritesFieldsAndLeavesThePutValueAlone) {
  EXPECT_EQ(automation::GetProperty(table_.get(), automation::kDispIdValue, Variant(2)).ToString(),
            u"Firma");
  Variant value(u"Nová");
  automation::PutProperty(table_.get(), automation::kDispIdValue, Variant(2),
                          Variant::ByRef(&value));
  EXPECT_EQ(client_->CallsOf(56).at(0).args[3].ToString(), u"Nová");
  EXPECT_EQ(value.ToString(), u"Nová");
  EXPECT_EQ(table_->tmpCountFieldGet(), 1);
  EXPECT_EQ(table_->tmpCountFieldLet(), 1);
}

TEST_F(TableDispatchTest, PropertiesReadAndWriteTheObjectsState) {
  automation::PutProperty(table_.get(), id::ktmpCountFind, Variant(int16_t{5}));
  EXPECT_EQ(table_->tmpCountFind(), 5);
  const Variant count = automation::GetProperty(table_.get(), id::ktmpCountFind);
  EXPECT_EQ(count.type(), VarType::kLong);
  EXPECT_EQ(count.ToLong(), 5);
  automation::PutProperty(table_.get(), id::kAutoCalcFields, Variant(true));
  EXPECT_TRUE(table_->AutoCalcFields());
  automation::PutProperty(table_.get(), id::kcfHRec, Variant(9));
  EXPECT_EQ(table_->cfHRec(), 9);

  EXPECT_EQ(TypeName(automation::GetProperty(table_.get(), id::kEntryProcess)), u"Nothing");
  auto other = MakeRef<Table>();
  automation::PutPropertyRef(table_.get(), id::kEntryProcess, other);
  EXPECT_EQ(table_->EntryProcess().get(), other.get());
  EXPECT_EQ(automation::GetProperty(table_.get(), id::kEntryProcess).ToObject().get(), other.get());
  automation::PutPropertyRef(table_.get(), id::kEntryProcess, nullptr);
  EXPECT_FALSE(table_->EntryProcess());
}

TEST_F(TableDispatchTest, OmittedOptionalArgumentsTakeTheirDefaults) {
  automation::CallMethod(table_.get(), id::kNextRec);
  EXPECT_EQ(client_->CallsOf(20).at(0).args[2].ToLong(), 1);
  automation::CallMethod(table_.get(), id::kSetRange, Variant(2), Variant::Missing(), Variant(5));
  EXPECT_EQ(client_->CallsOf(44).size(), 1u);  // a missing minimum removes the range
  client_->Returns(21, Variant(int32_t{0}));
  EXPECT_FALSE(automation::CallMethod(table_.get(), id::kInsert, Variant(true)).ToBoolean());
  EXPECT_EQ(FailureOf(id::kInsert, InvokeKind::kMethod, {}).number, 1009);
}

TEST_F(TableDispatchTest, FailuresArriveAsExceptionInformation) {
  const automation::ExceptionInfo own =
      FailureOf(id::kFieldNo, InvokeKind::kMethod, {Variant(1.5)});
  EXPECT_EQ(own.number, 999);
  EXPECT_EQ(own.description, u"ID pole musí být typu String nebo Long");
  EXPECT_EQ(FailureOf(id::kFind, InvokeKind::kMethod, {Variant::Missing()}).number, 449);
  EXPECT_EQ(FailureOf(id::kModify, InvokeKind::kMethod, {Variant(1)}).number, 450);
  EXPECT_EQ(FailureOf(id::kModify, InvokeKind::kPropertyPut, {Variant(1)}).number, 438);
  EXPECT_EQ(FailureOf(99, InvokeKind::kMethod, {}).number, 438);
}

}  // namespace
}  // namespace talmo::testing
