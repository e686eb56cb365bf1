// Table.Field against the recording client: the read and write paths per field type, the
// decimal work handle, AutoCalcFields, and the operation counters with their overflow rule.
#include <gtest/gtest.h>

#include <functional>
#include <limits>
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

class TableFieldTest : public TableClientTest {
 protected:
  // Field 9 of the customer table, of the given type, holding `value`.
  void Field9(int16_t type, Variant value, int16_t fieldClass = 0) {
    tables_[18].fields[9] = FieldModel{u"Field 9", type, fieldClass, std::move(value)};
  }
};

struct PlainTypeCase {
  std::string name;
  int16_t type;
  Variant value;
};

class PlainTypeTest : public TableFieldTest, public ::testing::WithParamInterface<PlainTypeCase> {};

TEST_P(PlainTypeTest, ReadGivesTheClientsVariantUnchanged) {
  Field9(GetParam().type, GetParam().value);
  Ref<Table> table = Allocated();
  const Variant value = table->Field(Variant(int32_t{9}));
  EXPECT_EQ(client_->Trace(), "1:=True 29 55 1:=False");
  EXPECT_EQ(value.type(), GetParam().value.type());
  EXPECT_TRUE(automation::Equals(value, GetParam().value));
  const RecordedCall read = client_->CallsOf(55).at(0);
  EXPECT_EQ(read.args[0].ToLong(), table->cfHTable());
  EXPECT_EQ(read.args[1].ToLong(), table->cfHRec());
  EXPECT_EQ(read.args[2].ToLong(), 9);
  EXPECT_EQ(table->tmpCountFieldGet(), 1);
}

TEST_P(PlainTypeTest, WritePassesTheCallersVariantByValue) {
  Field9(GetParam().type, Variant());
  Ref<Table> table = Allocated();
  table->SetField(Variant(int32_t{9}), GetParam().value);
  EXPECT_EQ(client_->Trace(), "1:=True 29 56 1:=False");
  const RecordedCall write = client_->CallsOf(56).at(0);
  EXPECT_EQ(write.args[3].type(), GetParam().value.type());
  EXPECT_TRUE(automation::Equals(write.args[3], GetParam().value));
  EXPECT_FALSE(write.byRef[3]);
  EXPECT_EQ(table->tmpCountFieldLet(), 1);
}

INSTANTIATE_TEST_SUITE_P(Types, PlainTypeTest,
                         ::testing::Values(PlainTypeCase{"Text", ftText, Variant(u"abc")},
                                           PlainTypeCase{"Date", ftDate, Variant::Date(40000)},
                                           PlainTypeCase{"Time", ftTime, Variant::Date(0.5)},
                                           PlainTypeCase{"Boolean", ftBoolean, Variant(true)},
                                           PlainTypeCase{"Integer", ftInteger,
                                                         Variant(int32_t{123456})},
                                           PlainTypeCase{"Code", ftCode, Variant(u"K001")},
                                           PlainTypeCase{"Option", ftOption, Variant(int16_t{2})},
                                           PlainTypeCase{"BLOB", ftBLOB, Variant(u"\x01\x02")}),
                         [](const auto& info) { return info.param.name; });

TEST_F(TableFieldTest, DecimalReadGoesThroughAWorkHandleAndGivesADouble) {
  Field9(ftDecimal, Variant());
  decimalValue_ = 12.5;
  client_->Returns(88, Variant(automation::Currency{125000}));  // converted, not passed on
  Ref<Table> table = Allocated();
  const Variant value = table->Field(Variant(int32_t{9}));
  EXPECT_EQ(client_->Trace(), "1:=True 29 80 83 88 81 1:=False");
  EXPECT_EQ(value.type(), VarType::kDouble);
  EXPECT_EQ(value.ToDouble(), 12.5);
  const RecordedCall load = client_->CallsOf(83).at(0);
  EXPECT_EQ(load.args[2].ToLong(), 9);
  EXPECT_EQ(load.args[3].ToLong(), 7);
  EXPECT_FALSE(load.byRef[3]);
  EXPECT_EQ(client_->CallsOf(88).at(0).args[0].ToLong(), 7);
  EXPECT_EQ(client_->CallsOf(81).at(0).args[0].ToLong(), 7);
}

TEST_F(TableFieldTest, DecimalWriteSetsTheWorkValueDoubleFirstThenStoresIt) {
  Field9(ftDecimal, Variant());
  Ref<Table> table = Allocated();
  table->SetField(Variant(int32_t{9}), Variant(u"2.5"));
  EXPECT_EQ(client_->Trace(), "1:=True 29 80 89 82 81 1:=False");
  const RecordedCall set = client_->CallsOf(89).at(0);
  EXPECT_EQ(set.args[0].type(), VarType::kDouble);
  EXPECT_EQ(set.args[0].ToDouble(), 2.5);
  EXPECT_EQ(set.args[1].ToLong(), 7);
  const RecordedCall store = client_->CallsOf(82).at(0);
  EXPECT_EQ(store.args[2].ToLong(), 9);
  EXPECT_EQ(store.args[3].ToLong(), 7);
}

TEST_F(TableFieldTest, ADecimalThatIsNoNumberStoresNothingAndIsNotCounted) {
  Field9(ftDecimal, Variant());
  Ref<Table> table = Allocated();
  EXPECT_EQ(ErrorOf([&] { table->SetField(Variant(int32_t{9}), Variant(u"abc")); }).number(), 13);
  EXPECT_EQ(client_->Trace(), "1:=True 29 80 81");  // the work handle is freed again
  EXPECT_EQ(table->tmpCountFieldLet(), 0);
}

TEST_F(TableFieldTest, AFailingDecimalStepFreesTheWorkHandleAfterTheError) {
  Field9(ftDecimal, Variant());
  client_->FailOn(83, ClientCode(19, 50));
  Ref<Table> table = Allocated();
  EXPECT_EQ(ErrorOf([&] { table->Field(Variant(int32_t{9})); }).number(), 50);
  EXPECT_EQ(client_->Trace(), "1:=True 29 80 83 1:=False 81");
  EXPECT_EQ(table->tmpCountFieldGet(), 0);
}

TEST_F(TableFieldTest, AnUnknownTypeCodeRaisesTheInternalErrorOnReadAndWrite) {
  Field9(9, Variant());
  Ref<Table> table = Allocated();
  for (const bool write : {false, true}) {
    const automation::AutomationError error = ErrorOf([&] {
      if (write) {
        table->SetField(Variant(int32_t{9}), Variant(1));
      } else {
        table->Field(Variant(int32_t{9}));
      }
    });
    EXPECT_EQ(error.number(), 999);
    EXPECT_EQ(error.description(), u"Talmo internal Error - unknown Type in GetField 9");
  }
  // The component's own error leaves the guard on.
  EXPECT_EQ(client_->Trace(), "1:=True 29 1:=True 29");
}

TEST_F(TableFieldTest, AutoCalcFieldsCalculatesOnlyFieldsOfClassOne) {
  tables_[18].fields[5].value = Variant(3.0);
  Ref<Table> table = Allocated();
  table->Field(Variant(int32_t{5}));
  EXPECT_EQ(client_->Trace(), "1:=True 29 80 83 88 81 1:=False");

  table->SetAutoCalcFields(true);
  client_->ClearCalls();
  table->Field(Variant(int32_t{5}));
  // FieldClass runs as an inner call: its guard off leaves member 1 False for the rest.
  EXPECT_EQ(client_->Trace(), "1:=True 1:=True 34 1:=False 59 29 80 83 88 81 1:=False");
  const RecordedCall calc = client_->CallsOf(59).at(0);
  EXPECT_EQ(calc.args[2].type(), VarType::kLong);
  EXPECT_TRUE(calc.byRef[2]);

  client_->ClearCalls();
  table->Field(Variant(int32_t{2}));
  EXPECT_EQ(client_->Trace(), "1:=True 1:=True 34 1:=False 29 55 1:=False");
}

TEST_F(TableFieldTest, AFieldGivenByNameIsResolvedBeforeTheGuard) {
  client_->Returns(31, Variant(int32_t{2}));
  Ref<Table> table = Allocated();
  EXPECT_EQ(table->Field(Variant(u"Name")).ToString(), u"Firma");
  EXPECT_EQ(client_->Trace(), "1:=True 31 1:=False 1:=True 29 55 1:=False");
}

// One counted operation: which counter it raises and how to run it.
struct CounterCase {
  std::string name;
  int32_t (Table::*get)() const noexcept;
  void (Table::*set)(int32_t) noexcept;
  std::function<void(Table&)> run;
  automation::DispId lastClientMember;  // the operation's work is done before the overflow
};

class CounterTest : public TableFieldTest, public ::testing::WithParamInterface<CounterCase> {};

TEST_P(CounterTest, RisesByOneAndRaisesOverflowOnlyAfterTheWork) {
  Ref<Table> table = Allocated();
  GetParam().run(*table);
  EXPECT_EQ(((*table).*GetParam().get)(), 1);

  ((*table).*GetParam().set)(std::numeric_limits<int32_t>::max());
  client_->ClearCalls();
  EXPECT_EQ(ErrorOf([&] { GetParam().run(*table); }).number(), 6);
  EXPECT_EQ(((*table).*GetParam().get)(), std::numeric_limits<int32_t>::max());
  EXPECT_FALSE(client_->CallsOf(GetParam().lastClientMember).empty());
  EXPECT_EQ(client_->calls().back().member, 1);  // the guard went off before the overflow
}

INSTANTIATE_TEST_SUITE_P(
    Operations, CounterTest,
    ::testing::Values(CounterCase{"FieldGet", &Table::tmpCountFieldGet, &Table::SettmpCountFieldGet,
                                  [](Table& t) { t.Field(Variant(int32_t{2})); }, 55},
                      CounterCase{"FieldLet", &Table::tmpCountFieldLet, &Table::SettmpCountFieldLet,
                                  [](Table& t) { t.SetField(Variant(int32_t{2}), Variant(u"x")); },
                                  56},
                      CounterCase{"GetRec", &Table::tmpCountGet, &Table::SettmpCountGet,
                                  [](Table& t) { t.GetRec({}); }, 13},
                      CounterCase{"GetRecT", &Table::tmpCountGet, &Table::SettmpCountGet,
                                  [](Table& t) { t.GetRecT({}); }, 13},
                      CounterCase{"Find", &Table::tmpCountFind, &Table::SettmpCountFind,
                                  [](Table& t) { t.Find(u"-"); }, 19},
                      CounterCase{"NextRec", &Table::tmpCountFind, &Table::SettmpCountFind,
                                  [](Table& t) { t.NextRec(); }, 20},
                      CounterCase{"Modify", &Table::tmpCountModify, &Table::SettmpCountModify,
                                  [](Table& t) { t.Modify(); }, 23},
                      CounterCase{"Insert", &Table::tmpCountInsert, &Table::SettmpCountInsert,
                                  [](Table& t) { t.Insert(true); }, 21},
                      CounterCase{"Delete", &Table::tmpCountDelete, &Table::SettmpCountDelete,
                                  [](Table& t) { t.Delete(); }, 22},
                      CounterCase{"DeleteAll", &Table::tmpCountDelete, &Table::SettmpCountDelete,
                                  [](Table& t) { t.DeleteAll(); }, 78}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace talmo::testing
