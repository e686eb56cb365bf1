// Field values, field metadata, decimal work values, flow fields and the field-description
// table through the DbClient members.
#include <cmath>
#include <limits>
#include <string>

#include "binding/handle_table.h"
#include "binding/variant_values.h"
#include "binding_test_support.h"
#include "regional_scope.h"

namespace dbclient::binding_test {
namespace {

using automation::Currency;
using automation::VariantArray;
using automation::VarType;

// Customer fields.
constexpr int32_t kNo = 1;                // Code 20
constexpr int32_t kName = 2;              // Text 50
constexpr int32_t kCity = 7;              // Text 30
constexpr int32_t kCreditLimit = 20;      // Decimal
constexpr int32_t kStatisticsGroup = 26;  // Integer
constexpr int32_t kBlocked = 39;          // Boolean
// Item ledger entry fields.
constexpr int32_t kEntryNo = 1;      // Integer
constexpr int32_t kItemNo = 2;       // Code 20
constexpr int32_t kPostingDate = 3;  // Date
constexpr int32_t kEntryType = 4;    // Option "Purchase,Sale,..."
constexpr int32_t kQuantity = 12;    // Decimal
// Item fields.
constexpr int32_t kInventory = 50060;  // flow field: sum of entry quantities

struct ValueRow {
  const char* name;
  int32_t table;
  int32_t field;
  Variant input;
  VarType readType;
  Variant read;
};

class BindingValueTest : public ConnectedTestWith<ValueRow> {};

TEST_P(BindingValueTest, AssignedValueReadsBackAsTheFieldsVariant) {
  const ValueRow& row = GetParam();
  const Table t = Open(row.table);
  Variant input = row.input;
  client_.Call(56, t.handle, t.record, row.field, Variant::ByRef(&input));
  ASSERT_EQ(client_.LastError(), 0);
  const Variant read = Get(t, row.field);
  EXPECT_EQ(read.type(), row.readType);
  EXPECT_TRUE(automation::Equals(read, row.read))
      << automation::ToUtf8(read.ToString()) << " != " << automation::ToUtf8(row.read.ToString());
}

INSTANTIATE_TEST_SUITE_P(
    Types, BindingValueTest,
    ::testing::Values(ValueRow{"TextKeepsCase", kCustomer, kName, Variant(u"Acme Ltd"),
                               VarType::kString, Variant(u"Acme Ltd")},
                      ValueRow{"TextOfANumber", kCustomer, kName, Variant(int32_t{42}),
                               VarType::kString, Variant(u"42")},
                      ValueRow{"CodeUpperCasedAndTrimmed", kCustomer, kNo, Variant(u"  c-100 "),
                               VarType::kString, Variant(u"C-100")},
                      ValueRow{"IntegerFromLong", kCustomer, kStatisticsGroup, Variant(int32_t{-7}),
                               VarType::kLong, Variant(int32_t{-7})},
                      ValueRow{"IntegerFromSixteenBit", kCustomer, kStatisticsGroup,
                               Variant(int16_t{5}), VarType::kLong, Variant(int32_t{5})},
                      ValueRow{"IntegerFromNumericText", kCustomer, kStatisticsGroup,
                               Variant(u"17"), VarType::kLong, Variant(int32_t{17})},
                      ValueRow{"OptionFromIndex", kItemLedgerEntry, kEntryType, Variant(int32_t{2}),
                               VarType::kInteger, Variant(int16_t{2})},
                      ValueRow{"OptionFromCaption", kItemLedgerEntry, kEntryType, Variant(u"Sale"),
                               VarType::kInteger, Variant(int16_t{1})},
                      ValueRow{"BooleanTrueIsMinusOne", kCustomer, kBlocked, Variant(true),
                               VarType::kBoolean, Variant(int16_t{-1})},
                      ValueRow{"BooleanFromYes", kCustomer, kBlocked, Variant(u"Yes"),
                               VarType::kBoolean, Variant(true)},
                      ValueRow{"BooleanFromNumber", kCustomer, kBlocked, Variant(int32_t{1}),
                               VarType::kBoolean, Variant(true)},
                      ValueRow{"DateAtMidnight", kItemLedgerEntry, kPostingDate,
                               Variant::Date(45000.0), VarType::kDate, Variant::Date(45000.0)},
                      ValueRow{"DateDropsTheTimeOfDay", kItemLedgerEntry, kPostingDate,
                               Variant::Date(45000.75), VarType::kDate, Variant::Date(45000.0)},
                      ValueRow{"ZeroDateIsTheUndefinedDate", kItemLedgerEntry, kPostingDate,
                               Variant::Date(0.0), VarType::kDate, Variant::Date(0.0)},
                      ValueRow{"EmptyGivesTheUndefinedDate", kItemLedgerEntry, kPostingDate,
                               Variant(), VarType::kDate, Variant::Date(0.0)},
                      ValueRow{"DecimalFromDouble", kCustomer, kCreditLimit, Variant(1234.5),
                               VarType::kDouble, Variant(1234.5)},
                      ValueRow{"DecimalFromCurrency", kCustomer, kCreditLimit,
                               Variant(Currency{12345}), VarType::kDouble, Variant(1.2345)},
                      ValueRow{"DecimalFromLong", kCustomer, kCreditLimit, Variant(int32_t{-3}),
                               VarType::kDouble, Variant(-3.0)}),
    [](const ::testing::TestParamInfo<ValueRow>& info) { return info.param.name; });

struct RefusalRow {
  const char* name;
  int32_t table;
  int32_t field;
  Variant input;
  int32_t error;
};

class BindingRefusalTest : public ConnectedTestWith<RefusalRow> {};

TEST_P(BindingRefusalTest, ValueThatDoesNotConvertIsRefusedAndNothingIsStored) {
  const RefusalRow& row = GetParam();
  const Table t = Open(row.table);
  const Variant before = Get(t, row.field);
  client_.Call(56, t.handle, t.record, row.field, row.input);
  EXPECT_EQ(client_.LastError(), row.error);
  if (row.error != errc::kUnknownField) {
    EXPECT_TRUE(automation::Equals(Get(t, row.field), before));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Values, BindingRefusalTest,
    ::testing::Values(
        RefusalRow{"TextTooLong", kCustomer, kCity, Variant(std::u16string(31, u'x')),
                   errc::kTextTooLong},
        RefusalRow{"CodeTooLong", kCustomer, kNo, Variant(std::u16string(21, u'K')),
                   errc::kTextTooLong},
        RefusalRow{"IntegerFromLetters", kCustomer, kStatisticsGroup, Variant(u"abc"),
                   errc::kBadNumber},
        RefusalRow{"IntegerOutOfRange", kCustomer, kStatisticsGroup, Variant(3e9),
                   errc::kNumberOutOfRange},
        RefusalRow{"OptionOutOfRange", kItemLedgerEntry, kEntryType, Variant(int32_t{9}),
                   errc::kBadOption},
        RefusalRow{"OptionUnknownCaption", kItemLedgerEntry, kEntryType, Variant(u"Gift"),
                   errc::kBadOption},
        RefusalRow{"BooleanFromAWord", kCustomer, kBlocked, Variant(u"Perhaps"), errc::kBadBoolean},
        RefusalRow{"DateFromGarbage", kItemLedgerEntry, kPostingDate, Variant(u"no date"),
                   errc::kBadDate},
        RefusalRow{"DecimalFromLetters", kCustomer, kCreditLimit, Variant(u"abc"),
                   errc::kBadNumber},
        RefusalRow{"Null", kCustomer, kName, Variant::Null(), errc::kTypeMismatch},
        RefusalRow{"Array", kCustomer, kName, Variant(VariantArray({Variant(u"a")}, 0)),
                   errc::kTypeMismatch},
        RefusalRow{"Nothing", kCustomer, kName, Variant::Nothing(), errc::kTypeMismatch},
        RefusalRow{"Missing", kCustomer, kName, Variant::Missing(), errc::kBadArgument},
        RefusalRow{"UnknownField", kCustomer, 9999, Variant(u"x"), errc::kUnknownField}),
    [](const ::testing::TestParamInfo<RefusalRow>& info) { return info.param.name; });

class BindingFieldsTest : public ConnectedTest {};

// A Czech caller writes decimals with a comma; a point is refused, never read as 225.
TEST_P(BindingFieldsTest, CzechDecimalTextIsStoredAsItsNumber) {
  const talmo::testing::RegionalScope scope(automation::Region::kCzech);
  const Table t = Open(kCustomer);
  client_.Call(56, t.handle, t.record, kCreditLimit, u"2,25");
  ASSERT_EQ(client_.LastError(), 0);
  EXPECT_EQ(Get(t, kCreditLimit).ToDouble(), 2.25);
  const int32_t work = client_.Call(80).ToLong();
  client_.Call(83, t.handle, t.record, kCreditLimit, work);
  EXPECT_EQ(client_.Call(88, work).ToDouble(), 2.25);

  client_.Call(56, t.handle, t.record, kCreditLimit, u"2.25");
  EXPECT_EQ(client_.LastError(), errc::kBadNumber);
  EXPECT_EQ(Get(t, kCreditLimit).ToDouble(), 2.25);
}

TEST_P(BindingFieldsTest, ValuesSurviveInsertAndFind) {
  const Table t = Open(kItemLedgerEntry);
  InsertRecord(t, {{kEntryNo, Variant(int32_t{7})},
                   {kItemNo, Variant(u"i-1")},
                   {kPostingDate, Variant::Date(44927.0)},
                   {kEntryType, Variant(u"Sale")},
                   {kQuantity, Variant(-2.5)}});
  client_.Call(25, t.handle, t.record);
  Set(t, kEntryNo, Variant(int32_t{7}));
  ASSERT_EQ(client_.Call(19, t.handle, t.record, u"=").ToLong(), -1);
  EXPECT_EQ(Get(t, kItemNo).ToString(), u"I-1");
  EXPECT_EQ(Get(t, kPostingDate).DateSerial(), 44927.0);
  EXPECT_EQ(Get(t, kEntryType).ToLong(), 1);
  EXPECT_EQ(Get(t, kQuantity).ToDouble(), -2.5);
}

TEST_P(BindingFieldsTest, FieldMetadata) {
  const Table customers = Open(kCustomer);
  const Table entries = Open(kItemLedgerEntry);
  const Table items = Open(kItem);
  EXPECT_EQ(client_.Call(14, customers.handle).ToString(), u"Customer");
  EXPECT_EQ(client_.Call(31, customers.handle, u"Name").ToLong(), kName);
  Variant name(u"credit limit (lcy)");
  EXPECT_EQ(client_.Call(31, customers.handle, Variant::ByRef(&name)).ToLong(), kCreditLimit);
  EXPECT_EQ(client_.Call(32, customers.handle, kCity).ToString(), u"City");

  struct TypeRow {
    int32_t table;
    int32_t field;
    int16_t type;
  };
  for (const TypeRow& row :
       {TypeRow{customers.handle, kName, 0}, TypeRow{entries.handle, kPostingDate, 1},
        TypeRow{customers.handle, kBlocked, 3}, TypeRow{customers.handle, kStatisticsGroup, 4},
        TypeRow{customers.handle, kNo, 5}, TypeRow{entries.handle, kEntryType, 6},
        TypeRow{customers.handle, kCreditLimit, 7}}) {
    const Variant type = client_.Call(29, row.table, row.field);
    EXPECT_EQ(type.type(), VarType::kInteger);
    EXPECT_EQ(type.ToInteger(), row.type) << "field " << row.field;
  }
  EXPECT_EQ(client_.Call(34, items.handle, kInventory).ToInteger(), 1);
  EXPECT_EQ(client_.Call(34, items.handle, kNo).ToInteger(), 0);
  const Variant length = client_.Call(67, customers.handle, kNo);
  EXPECT_EQ(length.type(), VarType::kInteger);
  EXPECT_EQ(length.ToInteger(), 20);
  EXPECT_EQ(client_.Call(67, customers.handle, kCity).ToInteger(), 30);
  EXPECT_EQ(client_.Call(33, entries.handle, kEntryType).ToString().substr(0, 14),
            u"Purchase,Sale,");
  EXPECT_EQ(client_.LastError(), 0);

  client_.Call(31, customers.handle, u"No Such Field");
  EXPECT_EQ(client_.LastError(), errc::kUnknownFieldName);
  for (automation::DispId member : {32, 29, 34, 67, 33}) {
    client_.Call(member, customers.handle, int32_t{9999});
    EXPECT_EQ(client_.LastError(), errc::kUnknownField) << "member " << member;
  }
}

TEST_P(BindingFieldsTest, DecimalHandlesCarryDoublesExactly) {
  const Table t = Open(kCustomer);
  Set(t, kNo, Variant(u"D1"));
  const int32_t in = client_.Call(80).ToLong();
  const int32_t out = client_.Call(80).ToLong();
  ASSERT_EQ(client_.LastError(), 0);
  for (double value : {0.0, 0.1, -0.00001, 1234567.891, 1.0 / 3.0, -987654.32109, 1e15 + 0.5,
                       9007199254740992.0, std::numeric_limits<double>::min()}) {
    SCOPED_TRACE(value);
    client_.Call(89, value, in);
    ASSERT_EQ(client_.LastError(), 0);
    EXPECT_EQ(client_.Call(88, in).ToDouble(), value);
    client_.Call(82, t.handle, t.record, kCreditLimit, in);
    ASSERT_EQ(client_.LastError(), 0);
    client_.Call(83, t.handle, t.record, kCreditLimit, out);
    ASSERT_EQ(client_.LastError(), 0);
    const Variant read = client_.Call(88, out);
    EXPECT_EQ(read.type(), VarType::kDouble);
    EXPECT_EQ(read.ToDouble(), value);
  }
  // Through the database as well: insert and read back into a fresh buffer.
  client_.Call(89, 0.1, in);
  client_.Call(82, t.handle, t.record, kCreditLimit, in);
  ASSERT_EQ(client_.Call(21, t.handle, t.record).ToLong(), -1);
  const int32_t fresh = client_.Call(15, t.handle).ToLong();
  client_.Call(56, t.handle, fresh, kNo, u"D1");
  ASSERT_EQ(client_.Call(19, t.handle, fresh, u"=").ToLong(), -1);
  client_.Call(83, t.handle, fresh, kCreditLimit, out);
  EXPECT_EQ(client_.Call(88, out).ToDouble(), 0.1);
}

TEST_P(BindingFieldsTest, DecimalHandleArgumentsAreCheckedInOrder) {
  const Table t = Open(kCustomer);
  const int32_t h = client_.Call(80).ToLong();
  client_.Call(89, h, 2.5);  // handle first: the double 2.5 is no handle
  EXPECT_EQ(client_.LastError(), errc::kUnknownHandle);
  client_.Call(89, u"abc", h);
  EXPECT_EQ(client_.LastError(), errc::kBadArgument);
  client_.Call(83, t.handle, t.record, kName, h);
  EXPECT_EQ(client_.LastError(), errc::kTypeMismatch);
  client_.Call(89, 1e12, h);
  client_.Call(82, t.handle, t.record, kStatisticsGroup, h);
  EXPECT_EQ(client_.LastError(), errc::kNumberOutOfRange);
  EXPECT_EQ(Get(t, kStatisticsGroup).ToLong(), 0);
  client_.Call(81, h);
  EXPECT_EQ(client_.LastError(), 0);
  client_.Call(88, h);
  EXPECT_EQ(client_.LastError(), errc::kUnknownHandle);
}

TEST_P(BindingFieldsTest, FlowFieldIsCalculatedOnRequest) {
  const Table items = Open(kItem);
  const Table entries = Open(kItemLedgerEntry);
  InsertRecord(items, {{kNo, Variant(u"I1")}});
  InsertRecord(
      entries,
      {{kEntryNo, Variant(int32_t{1})}, {kItemNo, Variant(u"I1")}, {kQuantity, Variant(1.5)}});
  InsertRecord(
      entries,
      {{kEntryNo, Variant(int32_t{2})}, {kItemNo, Variant(u"I1")}, {kQuantity, Variant(2.25)}});
  InsertRecord(
      entries,
      {{kEntryNo, Variant(int32_t{3})}, {kItemNo, Variant(u"I1")}, {kQuantity, Variant(-0.75)}});
  InsertRecord(
      entries,
      {{kEntryNo, Variant(int32_t{4})}, {kItemNo, Variant(u"I2")}, {kQuantity, Variant(10.0)}});
  client_.Call(25, items.handle, items.record);
  Set(items, kNo, Variant(u"I1"));
  ASSERT_EQ(client_.Call(19, items.handle, items.record, u"=").ToLong(), -1);
  EXPECT_EQ(Get(items, kInventory).ToDouble(), 0.0) << "0 until calculated";
  Variant field(kInventory);
  client_.Call(59, items.handle, items.record, Variant::ByRef(&field));
  ASSERT_EQ(client_.LastError(), 0);
  EXPECT_EQ(Get(items, kInventory).ToDouble(), 3.0);
  const int32_t h = client_.Call(80).ToLong();
  client_.Call(83, items.handle, items.record, kInventory, h);
  EXPECT_EQ(client_.Call(88, h).ToDouble(), 3.0);

  client_.Call(59, items.handle, items.record, kNo);
  EXPECT_EQ(client_.LastError(), errc::kNotFlowField);
}

TEST_P(BindingFieldsTest, FieldDescriptionTableIsReadOnlyAndDescribesRelations) {
  constexpr int32_t kTableNoField = 1;
  constexpr int32_t kFieldNoField = 2;
  constexpr int32_t kRelatedTableField = 21;
  constexpr int32_t kCustomerPostingGroup = 21;  // customer field related to table 92
  const Table fields = Open(kFieldTable);
  EXPECT_GT(client_.Call(24, fields.handle).ToLong(), 100);
  client_.Call(62);
  Set(fields, kTableNoField, Variant(kCustomer));
  Set(fields, kFieldNoField, Variant(kCustomerPostingGroup));
  ASSERT_EQ(client_.Call(19, fields.handle, fields.record, u"=").ToLong(), -1);
  EXPECT_EQ(Get(fields, kRelatedTableField).ToLong(), 92);
  Set(fields, kFieldNoField, Variant(kName));
  ASSERT_EQ(client_.Call(19, fields.handle, fields.record, u"=").ToLong(), -1);
  EXPECT_EQ(Get(fields, kRelatedTableField).ToLong(), 0);
  Set(fields, kFieldNoField, Variant(int32_t{9999}));
  EXPECT_EQ(client_.Call(19, fields.handle, fields.record, u"=").ToLong(), 0);
  EXPECT_EQ(client_.LastError(), errc::kRecordNotFound);

  Set(fields, kTableNoField, Variant(int32_t{424242}));
  EXPECT_EQ(client_.Call(21, fields.handle, fields.record).ToLong(), 0);
  EXPECT_EQ(client_.LastError(), errc::kReadOnlyTable);
}

// The Variant forms of the types the application schema has no field of.
INSTANTIATE_TEST_SUITE_P(Backends, BindingFieldsTest, kBothBackends,
                         [](const auto& info) { return BackendName(info.param); });

TEST(BindingVariantValuesTest, TimeAndBlobValues) {
  const Variant time = binding::ToVariant(Value::Time(6 * 3600 * 1000));
  EXPECT_EQ(time.type(), VarType::kDate);
  EXPECT_DOUBLE_EQ(time.DateSerial(), 0.25);
  EXPECT_EQ(binding::ToVariant(Value::Time(0)).DateSerial(), 0.0);

  const Variant blob = binding::ToVariant(Value::Blob(std::string("\x00\x7f\xff", 3)));
  EXPECT_EQ(blob.type(), VarType::kString);
  EXPECT_EQ(blob.ToString(), (std::u16string{u'\0', u'\x7f', u'\xff'}));
}

TEST(BindingVariantValuesTest, InputsKeepTheKindOfTheVariant) {
  std::u16string text;
  EXPECT_TRUE(std::holds_alternative<std::monostate>(binding::ToInput(Variant(), text)));
  EXPECT_EQ(std::get<int64_t>(binding::ToInput(Variant(uint8_t{200}), text)), 200);
  EXPECT_EQ(std::get<bool>(binding::ToInput(Variant(true), text)), true);
  EXPECT_EQ(std::get<double>(binding::ToInput(Variant(Currency{15000}), text)), 1.5);
  EXPECT_EQ(std::get<double>(binding::ToInput(Variant(0.5f), text)), 0.5);
  EXPECT_EQ(std::get<DateSerial>(binding::ToInput(Variant::Date(-1.25), text)).value, -1.25);
  const Input input = binding::ToInput(Variant(u"abc"), text);
  EXPECT_EQ(std::get<std::u16string_view>(input), u"abc");
  EXPECT_EQ(std::get<std::u16string_view>(input).data(), text.data());
}

TEST(BindingHandleTableTest, NumbersRunOutInsteadOfWrappingOrRepeating) {
  binding::HandleCounter counter(std::numeric_limits<int32_t>::max() - 1);
  std::atomic<int64_t> live{0};
  binding::HandleTable<double> values(counter, live);
  EXPECT_EQ(values.Add(1.0), std::numeric_limits<int32_t>::max() - 1);
  EXPECT_EQ(values.Add(2.0), std::numeric_limits<int32_t>::max());
  EXPECT_EQ(values.Add(3.0), 0);
  EXPECT_EQ(values.Add(4.0), 0);
  EXPECT_EQ(values.size(), 2u);
  EXPECT_EQ(live, 2);
  EXPECT_TRUE(values.Remove(std::numeric_limits<int32_t>::max()));
  EXPECT_FALSE(values.Remove(std::numeric_limits<int32_t>::max()));
  EXPECT_EQ(live, 1);
  EXPECT_EQ(values.Find(std::numeric_limits<int32_t>::max()), nullptr);
  EXPECT_EQ(*values.Find(std::numeric_limits<int32_t>::max() - 1), 1.0);
}

}  // namespace
}  // namespace dbclient::binding_test
