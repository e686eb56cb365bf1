// Table.Validate (the hand-over to the record-rule object, the relation check through the
// field-description table) and TestField with its messages, against the recording client.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "automation/automation_error.h"
#include "automation/text.h"
#include "records/table.h"
#include "session/database.h"
#include "table_client_model.h"

namespace talmo::testing {
namespace {

using automation::MakeRef;
using automation::Ref;
using automation::Variant;
using automation::VarType;

constexpr int32_t kDescriptions = 2000000041;

// A record-rule stand-in with the late-bound contract: "Rec" get/put and "Validate".
// It holds its Rec as a plain pointer, as the component's own rule objects link back.
class RuleStandIn final : public automation::DispatchObject {
 public:
  std::vector<std::string> log;
  automation::Dispatch* rec = nullptr;
  bool storeValue = false;  // Validate stores "<value>!" into the field of Rec
  bool fail = false;
  std::vector<bool> validateByRef;
  std::u16string ClassName() const override { return u"RuleStandIn"; }

 protected:
  void InvokeMember(automation::DispId id, automation::InvokeKind kind, std::span<Variant> args,
                    Variant& result) override {
    if (id == 1 && kind == automation::InvokeKind::kPropertyGet) {
      result = rec ? Variant(Ref<automation::Dispatch>(rec)) : Variant::Nothing();
    } else if (id == 1) {
      rec = args[0].ToObject().get();
      log.push_back(rec ? "Rec:=Table" : "Rec:=Nothing");
    } else if (id == 2) {
      log.push_back("Validate(" + std::to_string(args[0].ToLong()) + "," +
                    automation::ToUtf8(args[1].ToString()) + ")");
      validateByRef = {args[0].IsByRef(), args[1].IsByRef()};
      if (fail) automation::RaiseStandard(5);
      if (storeValue) {
        auto* table = dynamic_cast<Table*>(rec);
        table->SetField(args[0], Variant(args[1].ToString() + u"!"));
      }
    } else {
      automation::RaiseMemberNotFound();
    }
  }
  std::span<const automation::MemberName> MemberNames() const noexcept override {
    static constexpr automation::MemberName kNames[] = {{u"Rec", 1}, {u"Validate", 2}};
    return kNames;
  }
};

class TableValidationTest : public TableClientTest {
 protected:
  void SetUp() override {
    TableClientTest::SetUp();
    database_ = CreateDatabase();
    tables_[kDescriptions] = TableModel{
        u"Field", {1, 2}, {{21, {u"RelationTableNo.", ftInteger, 0, Variant(int32_t{27})}}}};
    tables_[27] = TableModel{u"Item", {1}, {{1, {u"No.", ftCode, 0, Variant()}}}, 0};
  }
  void TearDown() override {
    database_.reset();
    TableClientTest::TearDown();
  }
  // The table numbers that member 47 opened, in order.
  std::vector<int32_t> OpenedTables() const {
    std::vector<int32_t> opened;
    for (const RecordedCall& call : client_->CallsOf(47)) opened.push_back(call.args[1].ToLong());
    return opened;
  }
  Ref<Database> database_;
};

TEST_F(TableValidationTest, WithoutRulesStoresTheValueThenLooksItUpInTheRelatedTable) {
  Ref<Table> table = Allocated();
  const Variant value(u"K1");
  const automation::AutomationError error =
      ErrorOf([&] { table->Validate(Variant(int32_t{2}), &value); });
  EXPECT_EQ(table->tmpCountFieldLet(), 1);
  EXPECT_EQ(client_->CallsOf(56).at(0).args[3].ToString(), u"K1");
  // The description of field 2 of table 18, then the item with the value.
  EXPECT_EQ(OpenedTables(), (std::vector<int32_t>{kDescriptions, kDescriptions, 27, 27}));
  const std::vector<RecordedCall> keys = client_->CallsOf(56);
  ASSERT_EQ(keys.size(), 4u);
  EXPECT_EQ(keys[1].args[3].ToLong(), 18);
  EXPECT_EQ(keys[2].args[3].type(), VarType::kLong);
  EXPECT_EQ(keys[2].args[3].ToLong(), 2);
  EXPECT_EQ(keys[3].args[3].ToString(), u"K1");
  EXPECT_EQ(error.number(), 999);
  EXPECT_EQ(automation::ToUtf8(error.description()),
            "Záznam v tabulce \"Item\" neexistuje!\r\nNo. = K1\r\n\r\n\r\n(Chyba příkazem GetRec)");
  // The temporary tables were released: every opened handle was closed.
  EXPECT_EQ(client_->CallsOf(13).size(), 4u);
}

TEST_F(TableValidationTest, AnEmptyValueSkipsTheRelationCheckButZeroTakesPart) {
  Ref<Table> table = Allocated();
  const Variant empty(u"");
  table->Validate(Variant(int32_t{2}), &empty);
  EXPECT_TRUE(OpenedTables().empty());

  tables_[27].findResult = -1;
  const Variant zero(int32_t{0});
  table->Validate(Variant(int32_t{2}), &zero);
  EXPECT_EQ(OpenedTables(), (std::vector<int32_t>{kDescriptions, kDescriptions, 27, 27}));
}

TEST_F(TableValidationTest, NoRelatedTableOrNoDescriptionEndsTheCheck) {
  Ref<Table> table = Allocated();
  const Variant value(u"X");
  tables_[kDescriptions].fields[21].value = Variant(int32_t{0});
  table->Validate(Variant(int32_t{2}), &value);
  EXPECT_EQ(OpenedTables(), (std::vector<int32_t>{kDescriptions, kDescriptions}));

  client_->ClearCalls();
  tables_[kDescriptions].fields[21].value = Variant(int32_t{27});
  tables_[kDescriptions].findResult = 0;
  table->Validate(Variant(int32_t{2}), &value);
  EXPECT_EQ(OpenedTables(), (std::vector<int32_t>{kDescriptions, kDescriptions}));
}

TEST_F(TableValidationTest, WithoutANewValueTheCurrentValueIsValidatedAgain) {
  tables_[27].findResult = -1;
  Ref<Table> table = Allocated();
  table->Validate(Variant(int32_t{2}));
  EXPECT_EQ(table->tmpCountFieldGet(), 1);
  EXPECT_EQ(client_->CallsOf(56).at(0).args[3].ToString(), u"Firma");
  EXPECT_EQ(client_->CallsOf(56).back().args[3].ToString(), u"Firma");
}

TEST_F(TableValidationTest, ARuleObjectGetsTheTableForOneCallAndTheValueIsReadBack) {
  tables_[18].fields[2].value = Variant(u"FROM-BUFFER");
  tables_[27].findResult = -1;
  Ref<Table> table = Allocated();
  auto rules = MakeRef<RuleStandIn>();
  table->SetEntryProcess(rules);
  const Variant value(u"K1");
  table->Validate(Variant(int32_t{2}), &value);
  EXPECT_EQ(rules->log, (std::vector<std::string>{"Rec:=Table", "Validate(2,K1)", "Rec:=Nothing"}));
  EXPECT_EQ(rules->validateByRef, (std::vector<bool>{true, true}));
  EXPECT_EQ(table->tmpCountFieldLet(), 0);  // the rule object stores, not the table
  EXPECT_EQ(table->tmpCountFieldGet(), 1);  // the value is read back
  EXPECT_EQ(client_->CallsOf(56).back().args[3].ToString(), u"FROM-BUFFER");
}

TEST_F(TableValidationTest, ARecAlreadySetIsNeitherLentNorCleared) {
  tables_[27].findResult = -1;
  Ref<Table> table = Allocated();
  auto rules = MakeRef<RuleStandIn>();
  rules->rec = table.get();
  rules->storeValue = true;
  table->SetEntryProcess(rules);
  const Variant value(u"K1");
  table->Validate(Variant(int32_t{2}), &value);
  EXPECT_EQ(rules->log, std::vector<std::string>{"Validate(2,K1)"});
  EXPECT_EQ(rules->rec, table.get());
  EXPECT_EQ(table->tmpCountFieldLet(), 1);  // the rule object's own store
  table->SetEntryProcess(nullptr);
}

TEST_F(TableValidationTest, ARaisingRuleObjectStopsValidateAtOnceAndGetsNoRecKept) {
  Ref<Table> table = Allocated();
  auto rules = MakeRef<RuleStandIn>();
  rules->fail = true;
  table->SetEntryProcess(rules);
  const Variant value(u"K1");
  EXPECT_EQ(ErrorOf([&] { table->Validate(Variant(int32_t{2}), &value); }).number(), 5);
  // The lent Rec is taken back even so: kept, it would hold the table and the rule object
  // in a cycle that never frees the table's handles.
  EXPECT_EQ(rules->log,
            (std::vector<std::string>{"Rec:=Table", "Validate(2,K1)", "Rec:=Nothing"}));
  EXPECT_EQ(table->tmpCountFieldGet(), 0);
  EXPECT_TRUE(OpenedTables().empty());
  table->SetEntryProcess(nullptr);
}

struct TestFieldCase {
  std::string name;
  int16_t type;
  Variant value;
  std::optional<Variant> expected;  // TestField's NewValue
  int32_t number;                   // 0: passes
  std::string description;
};

constexpr char kNotFilled[] =
    "Pole \"Customer\".\"Field 9\" musí být vyplněno!\r\n(Chyba příkazem testfield)";

class TestFieldTest : public TableValidationTest,
                      public ::testing::WithParamInterface<TestFieldCase> {};

TEST_P(TestFieldTest, RaisesWithTheExactMessage) {
  const TestFieldCase& c = GetParam();
  tables_[18].fields[9] = FieldModel{u"Field 9", c.type, 0, c.value};
  decimalValue_ = c.type == ftDecimal ? c.value.ToDouble() : 0;
  Ref<Table> table = Allocated();
  const Variant* expected = c.expected ? &*c.expected : nullptr;
  if (c.number == 0) {
    table->TestField(Variant(int32_t{9}), expected);
    EXPECT_EQ(client_->calls().back().member, 1);
    EXPECT_EQ(automation::ToUtf8(client_->calls().back().args.back().ToString()), "False");
    return;
  }
  const automation::AutomationError error =
      ErrorOf([&] { table->TestField(Variant(int32_t{9}), expected); });
  EXPECT_EQ(error.number(), c.number);
  EXPECT_EQ(automation::ToUtf8(error.description()), c.description);
}

INSTANTIATE_TEST_SUITE_P(
    Values, TestFieldTest,
    ::testing::Values(
        TestFieldCase{"EmptyText", ftText, Variant(u""), std::nullopt, 998, kNotFilled},
        TestFieldCase{"FilledText", ftText, Variant(u"a"), std::nullopt, 0, ""},
        TestFieldCase{"FalseBoolean", ftBoolean, Variant(false), std::nullopt, 998, kNotFilled},
        TestFieldCase{"TrueBoolean", ftBoolean, Variant(true), std::nullopt, 0, ""},
        TestFieldCase{"ZeroInteger", ftInteger, Variant(int32_t{0}), std::nullopt, 998, kNotFilled},
        TestFieldCase{"FiveInteger", ftInteger, Variant(int32_t{5}), std::nullopt, 0, ""},
        TestFieldCase{"UndefinedDate", ftDate, Variant::Date(0), std::nullopt, 998, kNotFilled},
        TestFieldCase{"ZeroDecimal", ftDecimal, Variant(0.0), std::nullopt, 998, kNotFilled},
        TestFieldCase{"EmptyCode", ftCode, Variant(), std::nullopt, 998, kNotFilled},
        TestFieldCase{"EmptyBlob", ftBLOB, Variant(), std::nullopt, 998, kNotFilled},
        TestFieldCase{"FilledBlob", ftBLOB, Variant(u"x"), std::nullopt, 999,
                      "Nelze použít testfield pro BLOB"},
        TestFieldCase{"EqualValue", ftInteger, Variant(int32_t{5}), Variant(int16_t{5}), 0, ""},
        TestFieldCase{"OtherValue", ftInteger, Variant(int32_t{6}), Variant(int16_t{5}), 998,
                      "Pole \"Customer\".\"Field 9\" musí obsahovat '5\r\n"
                      "Místo toho obsahuje 6\r\n(Chyba příkazem testfield)"},
        TestFieldCase{"FalseAsExpected", ftBoolean, Variant(false), Variant(false), 0, ""},
        TestFieldCase{"TextDiffers", ftText, Variant(u"B"), Variant(u"A"), 998,
                      "Pole \"Customer\".\"Field 9\" musí obsahovat 'A\r\n"
                      "Místo toho obsahuje B\r\n(Chyba příkazem testfield)"}),
    [](const auto& info) { return info.param.name; });

TEST_F(TableValidationTest, TestFieldAsksTheTypeAgainAndRejectsUnknownCodes) {
  tables_[18].fields[9] = FieldModel{u"Field 9", ftInteger, 0, Variant(int32_t{3})};
  int calls = 0;
  client_->On(29, [&calls](std::span<Variant>) {
    return Variant(static_cast<int16_t>(++calls == 1 ? int{ftInteger} : 12));
  });
  Ref<Table> table = Allocated();
  const automation::AutomationError error = ErrorOf([&] { table->TestField(Variant(int32_t{9})); });
  EXPECT_EQ(error.number(), 999);
  EXPECT_EQ(error.description(), u"Neznámý typ pole");
  EXPECT_EQ(client_->Trace(), "1:=True 29 55 1:=False 1:=True 1:=True 29 1:=False");
}

}  // namespace
}  // namespace talmo::testing
