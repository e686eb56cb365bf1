// Type and number of a sales line: what setting them rebuilds, and when they are locked.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "sales_document.h"

namespace talmo::testing {
namespace {

using automation::Variant;
using namespace sales;

class LineTest : public SalesDocumentTest {};

TEST_F(LineTest, ItemNumberRebuildsTheLineFromHeaderAndItem) {
  auto line = NewLine();
  Validate(*line, 5, Variant(kItemLine));
  Put(*line, 15, Variant(4.0));
  Put(*line, 101, Variant(true));
  Put(*line, 69, Variant(9.0));  // wiped by the rebuild
  Validate(*line, 6, Variant(kItem));

  const std::pair<int32_t, const char16_t*> texts[] = {
      {2, kCustomer},    {7, u"T6-LOC"},       {8, u"RESALE"},      {9, kDiscountGroup},
      {11, u"Šroub M6"}, {12, u"pozinkovaný"}, {40, u"DIM1"},       {41, u"DIM2"},
      {42, u"T6-PRICE"}, {45, u"T6-JOB"},      {68, kCustomer},     {74, u"DOMESTIC"},
      {75, u"RETAIL"},   {78, u"T6-TT"},       {79, u"T6-TM"},      {81, u"T6-EXIT"},
      {82, u"T6-AREA"},  {83, u"T6-TRDET"},     {85, u"T6-TAXAREA"}, {87, u"T6-TAX"},
      {89, u"NATIONAL"}, {90, u"STANDARD"},    {91, u""},           {5407, u"PCS"}};
  for (const auto& [field, text] : texts) EXPECT_EQ(Text(*line, field), text) << field;
  const std::pair<int32_t, double> numbers[] = {{10, 45300},
                                                {23, kItemUnitCost},
                                                {100, kItemUnitCost},
                                                {36, 10},
                                                {34, 2},
                                                {35, 1.5},
                                                {37, 0.25},
                                                {25, 21},
                                                {77, 0},
                                                {69, 0},
                                                {15, 4},
                                                {5415, 4},
                                                {16, 4},
                                                {18, 4},
                                                {17, 4}};
  for (const auto& [field, number] : numbers)
    EXPECT_DOUBLE_EQ(Number(*line, field), number) << field;
  EXPECT_FALSE(line->Field(Variant(32)).ToBoolean()) << "taken from the item";
  EXPECT_TRUE(line->Field(Variant(101)).ToBoolean()) << "kept across Init";
  EXPECT_EQ(Text(*line, 13), Text(*ReadRecord(204, {Variant(u"PCS")}), 2));
}

TEST_F(LineTest, TextLineTakesOnlyTheDescription) {
  auto line = NewLine();
  Put(*line, 15, Variant(4.0));
  Validate(*line, 6, Variant(u"THANKS"));
  EXPECT_EQ(Text(*line, 11), Text(*ReadRecord(7, {Variant(u"THANKS")}), 2));
  EXPECT_EQ(Text(*line, 2), kCustomer) << "header fields come first";
  EXPECT_EQ(Text(*line, 90), u"") << "no VAT rule";
  EXPECT_DOUBLE_EQ(Number(*line, 15), 0) << "no quantity rule";
}

TEST_F(LineTest, AccountLineChecksTheAccount) {
  auto line = NewLine();
  Validate(*line, 5, Variant(kAccountLine));
  Validate(*line, 6, Variant(u"60110"));
  auto account = ReadRecord(15, {Variant(u"60110")});
  EXPECT_EQ(Text(*line, 11), Text(*account, 2));
  EXPECT_EQ(Text(*line, 90), Text(*account, 58));
  EXPECT_FALSE(line->Field(Variant(32)).ToBoolean());

  EXPECT_EQ(ErrorOf([&] { Validate(*line, 6, Variant(u"60410")); }).number(), 998)
      << "no direct posting";
  Put(*line, 101, Variant(true));
  Validate(*line, 6, Variant(u"60410"));                  // a system-created line needs none
  for (const char16_t* refused : {u"60490", u"30000"}) {  // blocked; a heading
    EXPECT_EQ(ErrorOf([&] { Validate(*line, 6, Variant(refused)); }).number(), 998);
  }
}

TEST_F(LineTest, ResourceLineTakesTheResourcesUnitAndCost) {
  auto line = NewLine();
  Validate(*line, 5, Variant(kResourceLine));
  Validate(*line, 6, Variant(u"NOVAK"));
  auto resource = ReadRecord(156, {Variant(u"NOVAK")});
  EXPECT_EQ(Text(*line, 11), Text(*resource, 3));
  EXPECT_EQ(Text(*line, 5407), Text(*resource, 18));
  EXPECT_DOUBLE_EQ(Number(*line, 23), Number(*resource, 21));
  EXPECT_DOUBLE_EQ(Number(*line, 5404), 1);
  EXPECT_EQ(ErrorOf([&] { Validate(*line, 6, Variant(u"DVORAK")); }).number(), 998);
}

TEST_F(LineTest, UnknownOrBlockedItemIsRefused) {
  InsertRecord(27, {{1, Variant(u"T6-BLOCKED")},
                    {11, Variant(u"RESALE")},
                    {91, Variant(u"RETAIL")},
                    {54, Variant(true)}});
  auto line = NewLine();
  Validate(*line, 5, Variant(kItemLine));
  const auto missing = ErrorOf([&] { Validate(*line, 6, Variant(u"T6-NONE")); });
  EXPECT_EQ(missing.number(), 999);
  EXPECT_EQ(missing.description().rfind(u"Záznam v tabulce ", 0), 0u);
  EXPECT_EQ(ErrorOf([&] { Validate(*line, 6, Variant(u"T6-BLOCKED")); }).number(), 998);
}

TEST_F(LineTest, EmptyNumberOnlyEmptiesTheNumber) {
  auto line = ItemLine(3, 10);
  Validate(*line, 6, Variant(u""));
  EXPECT_EQ(Text(*line, 6), u"");
  EXPECT_DOUBLE_EQ(Number(*line, 5), kItemLine);
  EXPECT_DOUBLE_EQ(Number(*line, 15), 3);
  EXPECT_DOUBLE_EQ(Number(*line, 29), 30);
  EXPECT_EQ(Text(*line, 11), u"Šroub M6");
}

TEST_F(LineTest, NewTypeStartsAnEmptyLineOfThatType) {
  auto line = ItemLine(3, 10);
  Put(*line, 101, Variant(true));
  Validate(*line, 5, Variant(kAccountLine));
  EXPECT_DOUBLE_EQ(Number(*line, 5), kAccountLine);
  EXPECT_EQ(Text(*line, 6), u"");
  EXPECT_EQ(Text(*line, 11), u"");
  EXPECT_DOUBLE_EQ(Number(*line, 15), 0);
  EXPECT_TRUE(line->Field(Variant(101)).ToBoolean());
}

struct LockRow {
  const char* name;
  int32_t field;
  double value;  // 72 (linked purchase order line) gives 999, the others a failed TestField
  friend void PrintTo(const LockRow& row, std::ostream* out) { *out << row.name; }
};

class LockTest : public LineTest, public ::testing::WithParamInterface<LockRow> {};

TEST_P(LockTest, ShippedOrLinkedLineRefusesTypeAndNumberBeforeAnyChange) {
  auto line = ItemLine(3, 10);
  Put(*line, 71, Variant(u"PO-7"));
  if (GetParam().field == 63) {
    Put(*line, 63, Variant(u"SHIP-1"));
  } else {
    Put(*line, GetParam().field, Variant(GetParam().value));
  }
  const bool linked = GetParam().field == 72;
  const std::pair<int32_t, const char16_t*> attempts[] = {
      {6, u"'Číslo' nemůžete změnit, protože řádek objednávky je spojen s nákupní objednávkou "},
      {5, u"Typ nemůžete změnit, protože řádek objednávky je spojen s nákupní objednávkou "}};
  for (const auto& [field, linkedText] : attempts) {
    const Variant value = field == 5 ? Variant(kAccountLine) : Variant(u"60110");
    const auto error = ErrorOf([&] { Validate(*line, field, value); });
    EXPECT_EQ(error.number(), linked ? 999 : 998) << field;
    if (linked) {
      EXPECT_EQ(error.description(), std::u16string(linkedText) + u"PO-7");
    }
    EXPECT_EQ(Text(*line, 6), kItem);
    EXPECT_DOUBLE_EQ(Number(*line, 15), 3);
  }
}

INSTANTIATE_TEST_SUITE_P(Rows, LockTest,
                         ::testing::Values(LockRow{"ShippedNotInvoiced", 58, 1},
                                           LockRow{"Shipped", 60, 1},
                                           LockRow{"ReservedBase", 5495, 1},
                                           LockRow{"ShipmentNo", 63, 0},
                                           LockRow{"LinkedOrder", 72, 10000}),
                         [](const auto& info) { return info.param.name; });

TEST_F(LineTest, ForeignCurrencyStopsTheItemAfterItsFirstFields) {
  SetHeaderField(32, Variant(u"EUR"));
  auto line = NewLine();
  Validate(*line, 5, Variant(kItemLine));
  EXPECT_EQ(ErrorOf([&] { Validate(*line, 6, Variant(kItem)); }).description(), u"Měna");
  EXPECT_EQ(Text(*line, 91), u"EUR");
  EXPECT_EQ(Text(*line, 12), u"pozinkovaný");
  EXPECT_DOUBLE_EQ(Number(*line, 23), kItemUnitCost);
  EXPECT_DOUBLE_EQ(Number(*line, 100), 0);
  EXPECT_TRUE(line->Field(Variant(32)).ToBoolean()) << "not reached";
}

}  // namespace
}  // namespace talmo::testing
