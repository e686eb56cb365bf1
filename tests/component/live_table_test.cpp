// Table through the registry against the real client and a copy of the sample database:
// field types, key lookups, searching, filters, counting, writes inside write transactions
// and their abort, Validate's relation check, TestField and flow fields. Every change a test
// makes is rolled back or removed again, since the suite shares one copy of the database.
#include <gtest/gtest.h>

#include <string>

#include "automation/text.h"
#include "live_fixture.h"
#include "regional_scope.h"

namespace talmo::testing {
namespace {

using automation::Ref;
using automation::Variant;
using automation::VarType;

class LiveTableTest : public LiveTest {
 protected:
  void SetUp() override {
    LiveTest::SetUp();
    Call(database_.get(), u"AutoConnect", {Variant(WriteIni("Talmo.ini", SampleIniBody()))});
  }
  Ref<automation::Dispatch> Alloc(int32_t tableNo) {
    return Call(database_.get(), u"AllocTable", {Variant(tableNo)}).ToObject();
  }
  static Variant Field(const Ref<automation::Dispatch>& table, int32_t field) {
    return Get(table.get(), u"Field", {Variant(field)});
  }
  static void SetField(const Ref<automation::Dispatch>& table, int32_t field, Variant value) {
    Put(table.get(), u"Field", {Variant(field), std::move(value)});
  }
  static bool Found(const Ref<automation::Dispatch>& table, std::vector<Variant> key) {
    return Call(table.get(), u"GetRecT", std::move(key)).ToBoolean();
  }
};

TEST_F(LiveTableTest, ReadsEveryFieldTypeOfACustomerAsItsVariantType) {
  auto customers = Alloc(18);
  EXPECT_EQ(Get(customers.get(), u"Name").ToString(), u"Customer");
  EXPECT_TRUE(Call(customers.get(), u"GetRec", {Variant(u"10000")}).ToBoolean());
  const Variant number = Field(customers, 1);
  EXPECT_EQ(number.type(), VarType::kString);
  EXPECT_EQ(number.ToString(), u"10000");
  EXPECT_EQ(automation::ToUtf8(Field(customers, 2).ToString()), "Zahradnictví Pokorný a.s.");
  EXPECT_EQ(Field(customers, 26).type(), VarType::kLong);
  EXPECT_EQ(Field(customers, 39).type(), VarType::kBoolean);
  EXPECT_EQ(Field(customers, 20).type(), VarType::kDouble);
  EXPECT_EQ(Call(customers.get(), u"FieldNo", {Variant(u"Name")}).ToLong(), 2);
  EXPECT_EQ(Get(customers.get(), u"FieldType", {Variant(int32_t{20})}).ToLong(), 7);
  EXPECT_EQ(Get(customers.get(), u"tmpCountGet").ToLong(), 1);
  EXPECT_EQ(Get(customers.get(), u"tmpCountFieldGet").ToLong(), 5);
}

TEST_F(LiveTableTest, WritesEveryFieldTypeOfASalesHeaderAndAnAbortRemovesTheRecord) {
  Call(database_.get(), u"BWT");
  auto headers = Alloc(36);
  SetField(headers, 1, Variant(int16_t{1}));  // Option: Order
  SetField(headers, 3, Variant(u"live0001"));
  SetField(headers, 11, Variant(u"Reference"));
  SetField(headers, 19, Variant::Date(45000));
  SetField(headers, 35, Variant(true));
  SetField(headers, 33, Variant(u"1.25"));
  SetField(headers, 119, Variant(automation::Currency{25000}));
  EXPECT_TRUE(Call(headers.get(), u"Insert", {Variant(true)}).ToBoolean());

  auto again = Alloc(36);
  ASSERT_TRUE(Found(again, {Variant(int32_t{1}), Variant(u"LIVE0001")}));
  EXPECT_EQ(Field(again, 1).ToLong(), 1);
  EXPECT_EQ(Field(again, 3).ToString(), u"LIVE0001");  // codes are kept upper-cased
  EXPECT_EQ(Field(again, 11).ToString(), u"Reference");
  EXPECT_EQ(Field(again, 19).type(), VarType::kDate);
  EXPECT_EQ(Field(again, 19).ToDate(), 45000);
  EXPECT_TRUE(Field(again, 35).ToBoolean());
  EXPECT_EQ(Field(again, 33).ToDouble(), 1.25);
  EXPECT_EQ(Field(again, 119).ToDouble(), 2.5);
  Call(again.get(), u"TestField", {Variant(int32_t{35}), Variant(true)});

  Call(database_.get(), u"AWT");
  EXPECT_FALSE(Found(again, {Variant(int32_t{1}), Variant(u"LIVE0001")}));
}

TEST_F(LiveTableTest, ADecimalFieldRefusesTextAndKeepsItsValue) {
  auto items = Alloc(27);
  ASSERT_TRUE(Found(items, {Variant(u"K00001")}));
  const double price = Field(items, 18).ToDouble();
  EXPECT_EQ(ErrorOf([&] { SetField(items, 18, Variant(u"abc")); }).number(), 13);
  EXPECT_EQ(Field(items, 18).ToDouble(), price);
  EXPECT_EQ(Get(items.get(), u"tmpCountFieldLet").ToLong(), 0);
}

// A Czech caller's "2,25" is 2.25 in a Decimal field, and "2.25" is refused rather than
// stored as 225.
TEST_F(LiveTableTest, ADecimalFieldReadsTextInTheUsersNumberFormat) {
  const RegionalScope czech(automation::Region::kCzech);
  auto items = Alloc(27);
  ASSERT_TRUE(Found(items, {Variant(u"K00001")}));
  SetField(items, 18, Variant(u"2,25"));
  EXPECT_EQ(Field(items, 18).ToDouble(), 2.25);
  EXPECT_EQ(ErrorOf([&] { SetField(items, 18, Variant(u"2.25")); }).number(), 13);
  EXPECT_EQ(Field(items, 18).ToDouble(), 2.25);
}

TEST_F(LiveTableTest, KeyLookupsReportMissingRecordsTheirOwnWay) {
  auto customers = Alloc(18);
  ASSERT_TRUE(Found(customers, {Variant(u"10000")}));
  EXPECT_FALSE(Found(customers, {Variant(u"NOPE")}));
  EXPECT_EQ(Field(customers, 1).ToString(), u"10000");  // the buffer is unchanged
  const automation::AutomationError error =
      ErrorOf([&] { Call(customers.get(), u"GetRec", {Variant(u"NOPE")}); });
  EXPECT_EQ(error.number(), 999);
  EXPECT_EQ(automation::ToUtf8(error.description()),
            "Záznam v tabulce \"Customer\" neexistuje!\r\nNo. = NOPE\r\n\r\n\r\n"
            "(Chyba příkazem GetRec)");
  EXPECT_EQ(Get(customers.get(), u"tmpCountGet").ToLong(), 2);
}

TEST_F(LiveTableTest, FindsStepsFiltersAndCounts) {
  auto items = Alloc(27);
  Call(items.get(), u"SetFilter", {Variant(int32_t{1}), Variant(u"K0000*")});
  EXPECT_EQ(Get(items.get(), u"Count").ToLong(), 9);
  ASSERT_TRUE(Call(items.get(), u"Find", {Variant(u"-")}).ToBoolean());
  EXPECT_EQ(Field(items, 1).ToString(), u"K00001");
  EXPECT_EQ(Call(items.get(), u"NextRec").ToLong(), 1);
  EXPECT_EQ(Field(items, 1).ToString(), u"K00002");
  ASSERT_TRUE(Call(items.get(), u"Find", {Variant(u"+")}).ToBoolean());
  EXPECT_EQ(Field(items, 1).ToString(), u"K00009");
  EXPECT_EQ(Call(items.get(), u"NextRec").ToLong(), 0);
  EXPECT_EQ(Call(items.get(), u"NextRec", {Variant(int16_t{-3})}).ToLong(), -3);
  EXPECT_EQ(Field(items, 1).ToString(), u"K00006");

  // A range replaces the field's filter; SetRange with the field alone removes it.
  Call(items.get(), u"SetRange", {Variant(int32_t{1}), Variant(u"K00003"), Variant(u"K00005")});
  EXPECT_EQ(Get(items.get(), u"Count").ToLong(), 3);
  Call(items.get(), u"SetRange", {Variant(int32_t{1}), Variant(u"K00004")});
  EXPECT_EQ(Get(items.get(), u"Count").ToLong(), 1);
  Call(items.get(), u"SetRange", {Variant(int32_t{1})});
  EXPECT_EQ(Get(items.get(), u"Count").ToLong(), 3000);

  // The client's "not found" answers make Find false instead of raising.
  SetField(items, 1, Variant(u"NOPE"));
  EXPECT_FALSE(Call(items.get(), u"Find", {Variant(u"=")}).ToBoolean());
  Call(items.get(), u"SetFilter", {Variant(int32_t{1}), Variant(u"ZZZ*")});
  EXPECT_FALSE(Call(items.get(), u"Find", {Variant(u"-")}).ToBoolean());
  const automation::AutomationError bad =
      ErrorOf([&] { Call(items.get(), u"Find", {Variant(u"?!")}); });
  EXPECT_NE(bad.description().find(u"?!"), std::u16string::npos)
      << automation::ToUtf8(bad.description());
}

TEST_F(LiveTableTest, KeysAreSetPerTableAndKeyLookupsLeaveThemAlone) {
  auto items = Alloc(27);
  EXPECT_EQ(Call(items.get(), u"GetCurrentKey").ToArray().at(0).ToLong(), 1);
  EXPECT_TRUE(Call(items.get(), u"SetCurrentKey", {Variant(u"Search Description")}).ToBoolean());
  EXPECT_TRUE(Found(items, {Variant(u"K00001")}));
  const Variant key = Call(items.get(), u"GetCurrentKey");
  EXPECT_EQ(key.ToArray().LBound(), 0);
  EXPECT_EQ(key.ToArray().at(0).ToLong(), 4);
  EXPECT_FALSE(Call(items.get(), u"SetCurrentKey").ToBoolean());
}

TEST_F(LiveTableTest, InsertModifyAndDeleteInsideWriteTransactions) {
  auto customers = Alloc(18);
  Call(database_.get(), u"BWT");
  Call(customers.get(), u"LockTable", {Variant(false)});
  SetField(customers, 1, Variant(u"99990"));
  SetField(customers, 2, Variant(u"Nový zákazník"));
  EXPECT_TRUE(Call(customers.get(), u"Insert").ToBoolean());
  EXPECT_FALSE(Call(customers.get(), u"Insert", {Variant(true)}).ToBoolean());
  const automation::AutomationError exists = ErrorOf([&] { Call(customers.get(), u"Insert"); });
  EXPECT_EQ(exists.number(), 1009);
  EXPECT_EQ(exists.description().find(u"Unknown error"), std::u16string::npos);
  SetField(customers, 2, Variant(u"Přejmenovaný"));
  EXPECT_TRUE(Call(customers.get(), u"Modify").ToBoolean());
  Call(database_.get(), u"EWT");

  auto check = Alloc(18);
  ASSERT_TRUE(Found(check, {Variant(u"99990")}));
  EXPECT_EQ(automation::ToUtf8(Field(check, 2).ToString()), "Přejmenovaný");

  Call(database_.get(), u"BWT");
  EXPECT_TRUE(Call(check.get(), u"Delete").ToBoolean());
  Call(database_.get(), u"EWT");
  EXPECT_FALSE(Found(check, {Variant(u"99990")}));
  // Modifying a record that is gone is an error, whichever key it has.
  EXPECT_EQ(ErrorOf([&] { Call(check.get(), u"Modify"); }).number(), 1008);
  EXPECT_EQ(Get(customers.get(), u"tmpCountInsert").ToLong(), 2);
  EXPECT_EQ(Get(customers.get(), u"tmpCountModify").ToLong(), 1);
}

TEST_F(LiveTableTest, DeleteAllRemovesTheFilteredSetUntilTheAbort) {
  auto items = Alloc(27);
  Call(items.get(), u"SetFilter", {Variant(int32_t{1}), Variant(u"K001*")});
  const int32_t before = Get(items.get(), u"Count").ToLong();
  ASSERT_GT(before, 0);
  Call(database_.get(), u"BWT");
  EXPECT_EQ(Call(items.get(), u"DeleteAll").type(), VarType::kEmpty);
  EXPECT_EQ(Get(items.get(), u"Count").ToLong(), 0);
  Call(database_.get(), u"AWT");
  EXPECT_EQ(Get(items.get(), u"Count").ToLong(), before);
  EXPECT_EQ(Get(items.get(), u"tmpCountDelete").ToLong(), 1);
}

TEST_F(LiveTableTest, InitKeepsThePrimaryKeyAndResetKeepsEverything) {
  auto customers = Alloc(18);
  ASSERT_TRUE(Found(customers, {Variant(u"10000")}));
  const int32_t buffer = Get(customers.get(), u"cfHRec").ToLong();
  Call(customers.get(), u"Reset");
  EXPECT_NE(Get(customers.get(), u"cfHRec").ToLong(), buffer);
  EXPECT_EQ(automation::ToUtf8(Field(customers, 2).ToString()), "Zahradnictví Pokorný a.s.");
  Call(customers.get(), u"Init");
  EXPECT_EQ(Field(customers, 1).ToString(), u"10000");
  EXPECT_EQ(Field(customers, 2).ToString(), u"");
}

TEST_F(LiveTableTest, ValidateChecksTheValueAgainstTheRelatedTable) {
  // Customers carry their rule object: Validate goes through it, then checks the relation of
  // field 22 (Currency Code) to table 4.
  auto customers = Alloc(18);
  ASSERT_TRUE(Found(customers, {Variant(u"10000")}));
  Call(customers.get(), u"Validate", {Variant(int32_t{22}), Variant(u"EUR")});
  EXPECT_EQ(Field(customers, 22).ToString(), u"EUR");
  const automation::AutomationError missing = ErrorOf([&] {
    Call(customers.get(), u"Validate", {Variant(int32_t{22}), Variant(u"XYZ")});
  });
  EXPECT_EQ(missing.number(), 999);
  EXPECT_EQ(automation::ToUtf8(missing.description()),
            "Záznam v tabulce \"Currency\" neexistuje!\r\nCode = XYZ\r\n\r\n\r\n"
            "(Chyba příkazem GetRec)");
  // The value stays assigned; an empty one is not looked up.
  EXPECT_EQ(Field(customers, 22).ToString(), u"XYZ");
  Call(customers.get(), u"Validate", {Variant(u"Currency Code"), Variant(u"")});
  EXPECT_EQ(Field(customers, 22).ToString(), u"");
}

TEST_F(LiveTableTest, TestFieldNamesTheTableAndTheField) {
  auto customers = Alloc(18);
  ASSERT_TRUE(Found(customers, {Variant(u"10000")}));
  Call(customers.get(), u"TestField", {Variant(int32_t{1})});
  Call(customers.get(), u"TestField", {Variant(int32_t{39}), Variant(false)});
  const automation::AutomationError empty =
      ErrorOf([&] { Call(customers.get(), u"TestField", {Variant(int32_t{22})}); });
  EXPECT_EQ(empty.number(), 998);
  EXPECT_EQ(automation::ToUtf8(empty.description()),
            "Pole \"Customer\".\"Currency Code\" musí být vyplněno!\r\n"
            "(Chyba příkazem testfield)");
  const automation::AutomationError differs = ErrorOf([&] {
    Call(customers.get(), u"TestField", {Variant(int32_t{26}), Variant(int32_t{7})});
  });
  EXPECT_EQ(differs.number(), 998);
  EXPECT_EQ(automation::ToUtf8(differs.description()),
            "Pole \"Customer\".\"Statistics Group\" musí obsahovat '7\r\n"
            "Místo toho obsahuje 1\r\n(Chyba příkazem testfield)");
}

TEST_F(LiveTableTest, FlowFieldsAreCalculatedOnRequestOrOnEveryRead) {
  // The inventory of an item is the sum of its ledger entries' quantities (32.12 by 32.2).
  auto items = Alloc(27);
  auto entries = Alloc(32);
  Call(items.get(), u"SetFilter", {Variant(int32_t{1}), Variant(u"K0*")});
  ASSERT_TRUE(Call(items.get(), u"Find", {Variant(u"-")}).ToBoolean());
  double sum = 0;
  do {
    Call(entries.get(), u"SetRange", {Variant(int32_t{2}), Field(items, 1)});
    sum = 0;
    if (Call(entries.get(), u"Find", {Variant(u"-")}).ToBoolean()) {
      do {
        sum += Field(entries, 12).ToDouble();
      } while (Call(entries.get(), u"NextRec").ToLong() != 0);
    }
  } while (sum == 0 && Call(items.get(), u"NextRec").ToLong() != 0);
  ASSERT_NE(sum, 0);

  EXPECT_EQ(Field(items, 50060).ToDouble(), 0);  // not calculated yet
  Call(items.get(), u"CalcFields", {Variant(int32_t{50060})});
  EXPECT_DOUBLE_EQ(Field(items, 50060).ToDouble(), sum);

  auto fresh = Alloc(27);
  ASSERT_TRUE(Found(fresh, {Field(items, 1)}));
  Put(fresh.get(), u"AutoCalcFields", {Variant(true)});
  EXPECT_DOUBLE_EQ(Field(fresh, 50060).ToDouble(), sum);
}

}  // namespace
}  // namespace talmo::testing
