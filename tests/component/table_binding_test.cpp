// Table against the recording client: binding, Init, Reset, release, field numbers and
// metadata, with the guard (member 1) around each operation.
#include <gtest/gtest.h>

#include <string>

#include "automation/automation_error.h"
#include "automation/dispatch.h"
#include "records/table.h"
#include "session/db_client.h"
#include "table_client_model.h"

namespace talmo::testing {
namespace {

using automation::MakeRef;
using automation::Ref;
using automation::Variant;
using automation::VarType;

// A record-rule stand-in: a "Rec" property and a "Validate" method, logging what it gets.
class RuleStandIn final : public automation::DispatchObject {
 public:
  explicit RuleStandIn(RecordingDbClient* client) : client_(client) {}
  std::vector<std::string> log;
  Ref<automation::Dispatch> rec;
  size_t clientCallsWhenRecCleared = 0;
  std::u16string ClassName() const override { return u"RuleStandIn"; }

 protected:
  void InvokeMember(automation::DispId id, automation::InvokeKind kind, std::span<Variant> args,
                    Variant& result) override {
    if (id == 1 && kind == automation::InvokeKind::kPropertyGet) {
      result = rec ? Variant(rec) : Variant::Nothing();
    } else if (id == 1) {
      rec = args[0].ToObject();
      if (!rec) clientCallsWhenRecCleared = client_->calls().size();
      log.push_back(rec ? "Rec:=Table" : "Rec:=Nothing");
    } else {
      automation::RaiseMemberNotFound();
    }
  }
  std::span<const automation::MemberName> MemberNames() const noexcept override {
    static constexpr automation::MemberName kNames[] = {{u"Rec", 1}};
    return kNames;
  }

 private:
  RecordingDbClient* client_;
};

class TableBindingTest : public TableClientTest {};

TEST_F(TableBindingTest, AllocOpensTheTableThenAllocatesAndInitialisesItsBuffer) {
  Ref<Table> table = MakeRef<Table>();
  table->Alloc(18);
  EXPECT_EQ(client_->Trace(), "1:=True 47 15 25 1:=False");
  const RecordedCall open = client_->CallsOf(47).at(0);
  EXPECT_TRUE(open.byRef[0] && open.byRef[1]);
  EXPECT_EQ(open.args[1].ToLong(), 18);
  EXPECT_EQ(TableOfHandle(table->cfHTable()), 18);
  EXPECT_EQ(client_->CallsOf(15).at(0).args[0].ToLong(), table->cfHTable());
  const RecordedCall init = client_->CallsOf(25).at(0);
  EXPECT_EQ(init.args[0].ToLong(), table->cfHTable());
  EXPECT_EQ(init.args[1].ToLong(), table->cfHRec());
  EXPECT_EQ(table->cfHRec(), nextRecordHandle_);
  EXPECT_EQ(table->TableNo(), 18);
}

TEST_F(TableBindingTest, AFailedAllocKeepsTheTableNumberAndStopsAtTheFailingStep) {
  client_->FailOn(15, ClientCode(19, 3));
  Ref<Table> table = MakeRef<Table>();
  EXPECT_EQ(ErrorOf([&] { table->Alloc(36); }).number(), 3);
  EXPECT_EQ(table->TableNo(), 36);
  EXPECT_EQ(table->cfHRec(), 0);
  EXPECT_TRUE(client_->CallsOf(25).empty());
}

TEST_F(TableBindingTest, InitCopiesThePrimaryKeyBackThroughATemporaryHandle) {
  tables_[18].primaryKey = {1, 2};
  Ref<Table> table = Allocated();
  table->Init();
  EXPECT_EQ(client_->Trace(), "1:=True 47 15 17 51 25 55 56 55 56 16 13 1:=False");
  const int32_t temporary = nextTableHandle_;         // the only handle opened here
  const int32_t temporaryRecord = nextRecordHandle_;  // Init's only 15
  EXPECT_EQ(client_->CallsOf(15).at(0).args[0].ToLong(), temporary);
  ASSERT_NE(temporary, table->cfHTable());
  const RecordedCall copy = client_->CallsOf(17).at(0);
  EXPECT_EQ(copy.args[0].ToLong(), temporary);
  EXPECT_EQ(copy.args[1].ToLong(), temporaryRecord);
  EXPECT_EQ(copy.args[2].ToLong(), table->cfHRec());
  EXPECT_EQ(client_->CallsOf(51).at(0).args[0].ToLong(), temporary);
  EXPECT_EQ(client_->CallsOf(25).at(0).args[0].ToLong(), table->cfHTable());
  const std::vector<RecordedCall> assigned = client_->CallsOf(56);
  for (size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(assigned[i].args[0].ToLong(), table->cfHTable());
    EXPECT_EQ(assigned[i].args[1].ToLong(), table->cfHRec());
    EXPECT_EQ(assigned[i].args[2].ToLong(), static_cast<int32_t>(i + 1));
    EXPECT_TRUE(assigned[i].byRef[3]);
  }
  EXPECT_EQ(assigned[0].args[3].ToString(), u"10000");  // what 55 read from the copy
  EXPECT_EQ(client_->CallsOf(16).at(0).args[0].ToLong(), temporaryRecord);
  EXPECT_EQ(client_->CallsOf(13).at(0).args[0].ToLong(), temporary);
}

TEST_F(TableBindingTest, ResetMovesTheRecordIntoANewBufferAndFreesTheOldOne) {
  Ref<Table> table = Allocated();
  const int32_t old = table->cfHRec();
  table->Reset();
  EXPECT_EQ(client_->Trace(), "1:=True 15 17 16 1:=False");
  EXPECT_NE(table->cfHRec(), old);
  const RecordedCall copy = client_->CallsOf(17).at(0);
  EXPECT_EQ(copy.args[1].ToLong(), table->cfHRec());
  EXPECT_EQ(copy.args[2].ToLong(), old);
  EXPECT_EQ(client_->CallsOf(16).at(0).args[0].ToLong(), old);
}

TEST_F(TableBindingTest, ReleaseFreesTheBufferBeforeClosingTheTableByValue) {
  Ref<Table> table = Allocated();
  const int32_t handle = table->cfHTable();
  const int32_t record = table->cfHRec();
  table.reset();
  EXPECT_EQ(client_->Trace(), "1:=True 16 13 1:=False");
  EXPECT_EQ(client_->CallsOf(16).at(0).args[0].ToLong(), record);
  const RecordedCall close = client_->CallsOf(13).at(0);
  EXPECT_EQ(close.args[0].type(), VarType::kLong);
  EXPECT_EQ(close.args[0].ToLong(), handle);
  EXPECT_FALSE(close.byRef[0]);
}

TEST_F(TableBindingTest, ReleaseSkipsZeroHandles) {
  Ref<Table> table = MakeRef<Table>();
  table.reset();
  EXPECT_EQ(client_->Trace(), "1:=True 1:=False");
}

TEST_F(TableBindingTest, ReleaseAfterDisconnectCallsNothing) {
  Ref<Table> table = Allocated();
  SetIsConnected(false);
  table.reset();
  EXPECT_TRUE(client_->calls().empty());
}

TEST_F(TableBindingTest, ReleaseClearsTheRuleObjectsRecBeforeTouchingTheClient) {
  Ref<Table> table = Allocated();
  auto rules = MakeRef<RuleStandIn>(client_);
  table->SetEntryProcess(rules);
  table.reset();
  EXPECT_EQ(rules->log, std::vector<std::string>{"Rec:=Nothing"});
  EXPECT_EQ(rules->clientCallsWhenRecCleared, 0u);
  EXPECT_EQ(client_->Trace(), "1:=True 16 13 1:=False");
}

struct FieldNoCase {
  std::string name;
  Variant id;
};

class FieldNoRejectsTest : public TableBindingTest,
                           public ::testing::WithParamInterface<FieldNoCase> {};

TEST_P(FieldNoRejectsTest, OtherTypesThanIntegersAndStrings) {
  Ref<Table> table = Allocated();
  const automation::AutomationError error = ErrorOf([&] { table->FieldNo(GetParam().id); });
  EXPECT_EQ(error.number(), 999);
  EXPECT_EQ(error.description(), u"ID pole musí být typu String nebo Long");
  EXPECT_TRUE(client_->calls().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Types, FieldNoRejectsTest,
    ::testing::Values(FieldNoCase{"Double", Variant(5.0)},
                      FieldNoCase{"Currency", Variant(automation::Currency{50000})},
                      FieldNoCase{"Byte", Variant(uint8_t{5})},
                      FieldNoCase{"Boolean", Variant(true)}, FieldNoCase{"Empty", Variant()},
                      FieldNoCase{"Null", Variant::Null()}, FieldNoCase{"Date", Variant::Date(5)}),
    [](const auto& info) { return info.param.name; });

TEST_F(TableBindingTest, FieldNoTakesIntegersAsTheyAreAndAsksTheClientForNames) {
  Ref<Table> table = Allocated();
  EXPECT_EQ(table->FieldNo(Variant(int16_t{5})), 5);
  EXPECT_EQ(table->FieldNo(Variant(int32_t{70000})), 70000);
  EXPECT_TRUE(client_->calls().empty());

  client_->Returns(31, Variant(int32_t{2}));
  EXPECT_EQ(table->FieldNo(Variant(u"Name")), 2);
  EXPECT_EQ(client_->Trace(), "1:=True 31 1:=False");
  const RecordedCall lookup = client_->CallsOf(31).at(0);
  EXPECT_EQ(lookup.args[0].ToLong(), table->cfHTable());
  EXPECT_EQ(lookup.args[1].ToString(), u"Name");
  EXPECT_FALSE(lookup.byRef[1]);
}

struct MetadataCase {
  std::string name;
  automation::DispId member;
  Variant (*get)(Table&, const Variant&);
  Variant expected;
};

class MetadataTest : public TableBindingTest, public ::testing::WithParamInterface<MetadataCase> {};

TEST_P(MetadataTest, IsOneGuardedCallWithTheTableHandleAndFieldNumber) {
  Ref<Table> table = Allocated();
  const Variant value = GetParam().get(*table, Variant(int32_t{2}));
  EXPECT_EQ(client_->Trace(), "1:=True " + std::to_string(GetParam().member) + " 1:=False");
  const RecordedCall call = client_->CallsOf(GetParam().member).at(0);
  EXPECT_EQ(call.args[0].ToLong(), table->cfHTable());
  EXPECT_EQ(call.args[1].type(), VarType::kLong);
  EXPECT_EQ(call.args[1].ToLong(), 2);
  EXPECT_EQ(value.type(), GetParam().expected.type());
  EXPECT_TRUE(automation::Equals(value, GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    Getters, MetadataTest,
    ::testing::Values(
        MetadataCase{"FieldName", 32,
                     [](Table& t, const Variant& id) { return Variant(t.FieldName(id)); },
                     Variant(u"Name")},
        MetadataCase{"FieldType", 29,
                     [](Table& t, const Variant& id) { return Variant(t.FieldType(id)); },
                     Variant(int16_t{ftText})},
        MetadataCase{"FieldClass", 34,
                     [](Table& t, const Variant& id) { return Variant(t.FieldClass(id)); },
                     Variant(int16_t{0})},
        MetadataCase{"FieldLen", 67,
                     [](Table& t, const Variant& id) { return Variant(t.FieldLen(id)); },
                     Variant(int16_t{20})},
        MetadataCase{"FieldOptionStr", 33,
                     [](Table& t, const Variant& id) { return Variant(t.FieldOptionStr(id)); },
                     Variant(u"A,B")}),
    [](const auto& info) { return info.param.name; });

TEST_F(TableBindingTest, NameAsksTheClientAndTableNoCallsNothing) {
  Ref<Table> table = Allocated();
  EXPECT_EQ(table->TableNo(), 18);
  EXPECT_TRUE(client_->calls().empty());
  EXPECT_EQ(table->Name(), u"Customer");
  EXPECT_EQ(client_->Trace(), "1:=True 14 1:=False");
}

TEST_F(TableBindingTest, WithViewErrorsTheGuardKeepsTheClientsDisplayOff) {
  Ref<Table> table = Allocated();
  SetViewErrors(true);
  table->Name();
  EXPECT_EQ(client_->Trace(), "1:=False 14 1:=False");
}

TEST_F(TableBindingTest, AClientErrorEndsTheOperationWithTheGuardAlreadyOff) {
  Ref<Table> table = Allocated();
  client_->FailOn(17, ClientCode(19, 77));
  EXPECT_EQ(ErrorOf([&] { table->Init(); }).number(), 77);
  // CheckClientError put member 1 := False; the temporary buffer and table are freed after
  // it, without error checks.
  EXPECT_EQ(client_->Trace(), "1:=True 47 15 17 1:=False 16 13");
}

}  // namespace
}  // namespace talmo::testing
