// Quantities and unit of measure of a sales line.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "sales_document.h"

namespace talmo::testing {
namespace {

using automation::Variant;
using namespace sales;

class QuantityTest : public SalesDocumentTest {
 protected:
  // An item line of 5 units with `factor` base units per unit.
  automation::Ref<Table> LineOfFive(double factor) {
    auto line = ItemLine(0, 10);
    Put(*line, 5404, Variant(factor));
    Validate(*line, 15, Variant(5.0));
    return line;
  }
};

TEST_F(QuantityTest, QuantityKeepsBaseOutstandingAndToShipInStep) {
  auto line = LineOfFive(2);
  const std::pair<int32_t, double> expected[] = {{15, 5}, {5415, 10}, {16, 5}, {5416, 10},
                                                 {18, 5}, {5418, 10}, {17, 5}, {5417, 10},
                                                 {58, 0}, {5458, 0}};
  for (const auto& [field, value] : expected)
    EXPECT_DOUBLE_EQ(Number(*line, field), value) << field;
  Validate(*line, 15, Variant(0.0));
  for (int32_t field : {16, 17, 18, 57, 59}) EXPECT_DOUBLE_EQ(Number(*line, field), 0) << field;
}

struct ShippedRow {
  const char* name;
  double shipped, shippedBase, quantity;
  const char16_t* message;  // nullptr: accepted
  friend void PrintTo(const ShippedRow& row, std::ostream* out) { *out << row.name; }
};

class ShippedTest : public QuantityTest, public ::testing::WithParamInterface<ShippedRow> {};

TEST_P(ShippedTest, QuantityCannotFallBelowWhatWasShipped) {
  const ShippedRow& row = GetParam();
  auto line = LineOfFive(1);
  Put(*line, 60, Variant(row.shipped));
  Put(*line, 5460, Variant(row.shippedBase));
  if (row.message == nullptr) {
    Validate(*line, 15, Variant(row.quantity));
    EXPECT_DOUBLE_EQ(Number(*line, 16), row.quantity - row.shipped);
    return;
  }
  const auto error = ErrorOf([&] { Validate(*line, 15, Variant(row.quantity)); });
  EXPECT_EQ(error.number(), 999);
  EXPECT_EQ(error.description(), row.message);
  EXPECT_DOUBLE_EQ(Number(*line, 15), row.quantity) << "assigned before the check";
  EXPECT_DOUBLE_EQ(Number(*line, 5415), row.quantity);
  EXPECT_DOUBLE_EQ(Number(*line, 16), 5) << "outstanding not recalculated";
}

constexpr char16_t kBelow[] = u"Množství nesmí být menší než Dodané množství";
constexpr char16_t kBaseBelow[] = u"Množství (základ) nesmí být menší než Dodané množství (základ)";

INSTANTIATE_TEST_SUITE_P(Rows, ShippedTest,
                         ::testing::Values(ShippedRow{"Below", 2, 2, 1, kBelow},
                                           ShippedRow{"OtherSign", 2, 2, -3, kBelow},
                                           ShippedRow{"BaseBelow", 2, 3, 2, kBaseBelow},
                                           ShippedRow{"ReturnWithinReturned", -2, -2, -3, nullptr},
                                           ShippedRow{"SaleAfterReturn", -2, -2, 3, kBelow},
                                           ShippedRow{"EqualToShipped", 2, 2, 2, nullptr}),
                         [](const auto& info) { return info.param.name; });

TEST_F(QuantityTest, QuantityToInvoiceIsLimitedByWhatIsShipped) {
  auto line = LineOfFive(2);
  Validate(*line, 18, Variant(2.0));
  EXPECT_DOUBLE_EQ(Number(*line, 5418), 4);
  EXPECT_DOUBLE_EQ(Number(*line, 17), 2) << "to invoice follows to ship";
  Put(*line, 5418, Variant(3.0));  // base limit apart from twice the unit limit
  Validate(*line, 17, Variant(2.0));
  EXPECT_DOUBLE_EQ(Number(*line, 5417), 3) << "at the limit both come from the limits";
  Validate(*line, 17, Variant(1.0));
  EXPECT_DOUBLE_EQ(Number(*line, 5417), 2) << "below it the base comes from the factor";

  auto error = ErrorOf([&] { Validate(*line, 17, Variant(1.9)); });
  EXPECT_EQ(error.description(), u"Nemůžete fakturovat více než 3 základních jednotek.");
  error = ErrorOf([&] { Validate(*line, 17, Variant(2.5)); });
  EXPECT_EQ(error.description(), u"Nemůžete fakturovat více než 2 jednotek.'");
  EXPECT_DOUBLE_EQ(Number(*line, 17), 2.5) << "kept after the failed check";
  error = ErrorOf([&] { Validate(*line, 17, Variant(-1.0)); });
  EXPECT_EQ(error.description(), u"Nemůžete fakturovat více než 2 jednotek.'");
}

TEST_F(QuantityTest, QuantityToShipIsLimitedByWhatIsOutstanding) {
  auto line = LineOfFive(1);
  Validate(*line, 18, Variant(2.0));
  Validate(*line, 18, Variant(5.0));  // the outstanding quantity resets to invoice as well
  EXPECT_DOUBLE_EQ(Number(*line, 17), 5);

  auto error = ErrorOf([&] { Validate(*line, 18, Variant(7.5)); });
  EXPECT_EQ(error.description(), u"Nemůžete dodat více než 5 jednotek.");
  EXPECT_DOUBLE_EQ(Number(*line, 17), 7.5) << "to invoice was reset before the check";
  error = ErrorOf([&] { Validate(*line, 18, Variant(-1.0)); });
  EXPECT_EQ(error.description(), u"Nemůžete dodat více než 5 jednotek.");

  Put(*line, 16, Variant(2.5));
  Put(*line, 5416, Variant(2.0));
  error = ErrorOf([&] { Validate(*line, 18, Variant(2.4)); });
  EXPECT_EQ(error.description(), u"Nemůžete dodat více než 2 základních jednotek.");
  Put(*line, 15, Variant(2.0));
  error = ErrorOf([&] { Validate(*line, 18, Variant(3.0)); });
  EXPECT_EQ(error.description(), u"Nemůžete dodat více než 2.5 jednotek.");
}

TEST_F(QuantityTest, LineDiscountComesFromTheGroupsRecordWithinTheUnitRange) {
  SetHeaderField(36, Variant(true));
  auto line = ItemLine(3, 10);
  EXPECT_DOUBLE_EQ(Number(*line, 26), 10) << "minimum quantity 0 is within 0..1, 5 is not";
  EXPECT_DOUBLE_EQ(Number(*line, 29), 27);
  Put(*line, 5404, Variant(5.0));
  Validate(*line, 15, Variant(3.0));
  EXPECT_DOUBLE_EQ(Number(*line, 26), 20) << "within 0..5 the last record is the one of 5";
  Put(*line, 43, Variant(false));
  Validate(*line, 15, Variant(3.0));
  EXPECT_DOUBLE_EQ(Number(*line, 26), 0);
  Put(*line, 43, Variant(true));
  Put(*line, 9, Variant(u"NONE"));
  Validate(*line, 15, Variant(3.0));
  EXPECT_DOUBLE_EQ(Number(*line, 26), 0) << "no record found";
}

TEST_F(QuantityTest, UnitOfMeasureScalesItemValuesAndRerunsTheQuantity) {
  auto line = LineOfFive(1);
  Put(*line, 5404, Variant(12.0));
  Validate(*line, 5407, Variant(u"BOX"));
  EXPECT_EQ(Text(*line, 13), Text(*ReadRecord(204, {Variant(u"BOX")}), 2));
  const std::pair<int32_t, double> expected[] = {{34, 24}, {35, 18},   {37, 3},
                                                 {23, 54}, {5415, 60}, {5416, 60}};
  for (const auto& [field, value] : expected)
    EXPECT_DOUBLE_EQ(Number(*line, field), value) << field;

  Validate(*line, 5407, Variant(u"T6-NOUNIT"));
  EXPECT_EQ(Text(*line, 13), u"") << "an unknown unit is no error";
  Validate(*line, 5407, Variant(u""));
  EXPECT_EQ(Text(*line, 13), u"");
  EXPECT_DOUBLE_EQ(Number(*line, 5404), 12) << "an item line keeps its factor";
}

TEST_F(QuantityTest, UnitOfMeasureOfOtherLinesHasFactorOne) {
  auto line = NewLine();
  Validate(*line, 5, Variant(kAccountLine));
  Validate(*line, 6, Variant(u"60110"));
  Put(*line, 5404, Variant(3.0));
  Put(*line, 13, Variant(u"stale"));
  Validate(*line, 5407, Variant(u""));
  EXPECT_EQ(Text(*line, 13), u"");
  EXPECT_DOUBLE_EQ(Number(*line, 5404), 1);
}

TEST_F(QuantityTest, UnitDescriptionInTheDocumentsLanguage) {
  SetHeaderField(41, Variant(u"DEU"));
  auto line = ItemLine(1, 10);
  EXPECT_EQ(Text(*line, 13), Text(*ReadRecord(5402, {Variant(u"PCS"), Variant(u"DEU")}), 3));
  EXPECT_NE(Text(*line, 13), Text(*ReadRecord(204, {Variant(u"PCS")}), 2));
}

TEST_F(QuantityTest, ShippedOrLinkedLineKeepsItsUnitAndQuantity) {
  auto line = LineOfFive(1);
  Put(*line, 60, Variant(1.0));
  EXPECT_EQ(ErrorOf([&] { Validate(*line, 5407, Variant(u"BOX")); }).number(), 998);
  Put(*line, 60, Variant(0.0));
  Put(*line, 71, Variant(u"PO-9"));
  Put(*line, 72, Variant(10000));
  auto error = ErrorOf([&] { Validate(*line, 5407, Variant(u"BOX")); });
  EXPECT_EQ(error.description(),
            u"Kód jednotky nemůžete změnit, protože řádek objednávky je spojen s nákupní "
            u"objednávkou PO-9");
  error = ErrorOf([&] { Validate(*line, 15, Variant(4.0)); });
  EXPECT_EQ(error.description(),
            u"'Číslo' nemůžete změnit, protože řádek objednávky je spojen s nákupní "
            u"objednávkou PO-9");
  EXPECT_DOUBLE_EQ(Number(*line, 15), 4) << "assigned before the check";
}

TEST_F(QuantityTest, ReservedBaseQuantityInLineUnits) {
  auto line = LineOfFive(2);
  Validate(*line, 5495, Variant(10.0));
  EXPECT_DOUBLE_EQ(Number(*line, 95), 5);
  EXPECT_TRUE(line->Field(Variant(5405)).ToBoolean()) << "all of the outstanding quantity";
  Validate(*line, 5495, Variant(3.0));
  EXPECT_DOUBLE_EQ(Number(*line, 95), 1.5);
  EXPECT_FALSE(line->Field(Variant(5405)).ToBoolean());
  Put(*line, 5404, Variant(0.0));
  EXPECT_EQ(ErrorOf([&] { Validate(*line, 5495, Variant(1.0)); }).number(), 998);
}

}  // namespace
}  // namespace talmo::testing
