// Prices, discounts, amounts and VAT of a sales line.
#include <gtest/gtest.h>

#include <ostream>

#include "automation/dispatch.h"
#include "sales_document.h"

namespace talmo::testing {
namespace {

using automation::Currency;
using automation::CurrencyFromDouble;
using automation::Variant;
using namespace sales;

class AmountsTest : public SalesDocumentTest {};

TEST_F(AmountsTest, QuantityTimesPriceWithoutVatInThePrice) {
  auto line = ItemLine(3, 10);
  EXPECT_DOUBLE_EQ(Number(*line, 25), 21);
  EXPECT_DOUBLE_EQ(Number(*line, 28), 0);
  EXPECT_DOUBLE_EQ(Number(*line, 29), 30);
  EXPECT_DOUBLE_EQ(Number(*line, 99), 30);
  EXPECT_DOUBLE_EQ(Number(*line, 30), 36.3);
  EXPECT_DOUBLE_EQ(Number(*line, 57), 30);  // all of it outstanding
  EXPECT_DOUBLE_EQ(Number(*line, 92), 30);
  EXPECT_DOUBLE_EQ(Number(*line, 59), 0);  // nothing shipped
}

TEST_F(AmountsTest, TheSameRulesReachedDirectlyAndLateBound) {
  auto line = NewLine();
  Entry37& rules = RulesOf(*line);
  rules.Field5(kItemLine);
  rules.Validate(Variant(u"No."), &static_cast<const Variant&>(Variant(kItem)));
  Put(*line, 22, Variant(10.0));
  Variant quantity(u"3");
  automation::PutProperty(&rules, automation::GetDispId(&rules, u"field15"), quantity);
  EXPECT_DOUBLE_EQ(Number(*line, 29), 30);
  EXPECT_DOUBLE_EQ(Number(*line, 30), 36.3);
}

TEST_F(AmountsTest, PricesIncludingVatTakeTheVatOutOfTheLineAmount) {
  SetHeaderField(35, Variant(true));
  auto line = ItemLine(3, 10);
  EXPECT_DOUBLE_EQ(Number(*line, 29), 24.79);  // Round(30 / 1.21, 2)
  EXPECT_DOUBLE_EQ(Number(*line, 30), 29.9959);
}

TEST_F(AmountsTest, VatBaseDiscountReducesTheVatOnly) {
  SetHeaderField(119, Variant(10.0));
  auto line = ItemLine(3, 10);
  EXPECT_DOUBLE_EQ(Number(*line, 29), 30);
  EXPECT_DOUBLE_EQ(Number(*line, 99), 27);
  EXPECT_DOUBLE_EQ(Number(*line, 30), 35.67);
}

struct DiscountRow {
  const char* name;
  int16_t calculation;  // sales setup field 3
  double own, second, total, discountAmount, amount;
  friend void PrintTo(const DiscountRow& row, std::ostream* out) { *out << row.name; }
};

class DiscountTest : public AmountsTest, public ::testing::WithParamInterface<DiscountRow> {};

TEST_P(DiscountTest, OwnAndSecondDiscountCombine) {
  const DiscountRow& row = GetParam();
  SetDiscountCalculation(row.calculation);
  auto line = ItemLine(3, 10);
  Put(*line, 55, Variant(row.second));
  Validate(*line, 26, Variant(row.own));
  EXPECT_DOUBLE_EQ(Number(*line, 27), row.total);
  EXPECT_DOUBLE_EQ(Number(*line, 28), row.discountAmount);
  EXPECT_DOUBLE_EQ(Number(*line, 29), row.amount);
  EXPECT_DOUBLE_EQ(Number(*line, 69), 0);
}

INSTANTIATE_TEST_SUITE_P(Rows, DiscountTest,
                         ::testing::Values(DiscountRow{"AddUp", 0, 10, 5, 15, 4.5, 25.5},
                                           DiscountRow{"Compound", 1, 10, 5, 14.5, 4.35, 25.65},
                                           DiscountRow{"CutTo100", 0, 80, 30, 100, 30, 0}),
                         [](const auto& info) { return info.param.name; });

TEST_F(AmountsTest, LineAmountAboveTheGrossGivesANegativeDiscount) {
  auto line = ItemLine(3, 10);
  Validate(*line, 29, Variant(40.0));
  EXPECT_DOUBLE_EQ(Number(*line, 28), -10);
  EXPECT_DOUBLE_EQ(Number(*line, 27), -33.33333);
  EXPECT_DOUBLE_EQ(Number(*line, 30), 48.4);
}

TEST_F(AmountsTest, AmountIncludingVatGivesTheAmountBack) {
  auto line = ItemLine(3, 10);
  Validate(*line, 30, Variant(24.2));
  EXPECT_DOUBLE_EQ(Number(*line, 29), 20);
  EXPECT_DOUBLE_EQ(Number(*line, 99), 20);
  EXPECT_DOUBLE_EQ(Number(*line, 28), 10);
  EXPECT_DOUBLE_EQ(Number(*line, 27), 33.33333);
}

TEST_F(AmountsTest, LineAmountNeedsTypeQuantityAndPrice) {
  for (int32_t field : {15, 22}) {
    auto line = ItemLine(3, 10);
    Put(*line, field, Variant(0.0));
    EXPECT_EQ(ErrorOf([&] { Validate(*line, 29, Variant(5.0)); }).number(), 998) << field;
    EXPECT_DOUBLE_EQ(Number(*line, 29), 5) << "assigned before the check";
  }
}

TEST_F(AmountsTest, LineAmountThatRoundsToZeroCannotGiveADiscountPercent) {
  auto line = ItemLine(0.001, 1);
  EXPECT_EQ(ErrorOf([&] { Validate(*line, 29, Variant(1.0)); }).number(),
            automation::error::kDivisionByZero);
}

TEST_F(AmountsTest, FullVatOnlyOnItsOwnAccount) {
  auto item = ItemLine(3, 10);
  EXPECT_EQ(ErrorOf([&] { Validate(*item, 90, Variant(u"FULL")); }).number(), 998);

  auto otherAccount = NewLine(20000);
  Validate(*otherAccount, 5, Variant(kAccountLine));
  Validate(*otherAccount, 6, Variant(u"60110"));
  EXPECT_EQ(ErrorOf([&] { Validate(*otherAccount, 90, Variant(u"FULL")); }).number(), 998);

  auto vatAccount = NewLine(30000);
  Validate(*vatAccount, 5, Variant(kAccountLine));
  Validate(*vatAccount, 6, Variant(u"34310"));
  Put(*vatAccount, 22, Variant(100.0));
  Validate(*vatAccount, 15, Variant(1.0));
  EXPECT_DOUBLE_EQ(Number(*vatAccount, 77), 2);
  EXPECT_DOUBLE_EQ(Number(*vatAccount, 29), 0);
  EXPECT_DOUBLE_EQ(Number(*vatAccount, 30), 100);
  const auto error = ErrorOf([&] { Validate(*vatAccount, 29, Variant(5.0)); });
  EXPECT_EQ(error.number(), 999);
  EXPECT_EQ(error.description(), u"Částka musí být 0, když 'Typ výpočtu DPH' je 'Plná DPH'");
}

TEST_F(AmountsTest, SalesTaxIsRefused) {
  auto line = ItemLine(3, 10);
  Validate(*line, 90, Variant(u"SALES TAX"));
  EXPECT_DOUBLE_EQ(Number(*line, 77), 3);
  EXPECT_DOUBLE_EQ(Number(*line, 25), 0);
  for (int32_t field : {29, 30}) {
    const auto error = ErrorOf([&] { Validate(*line, field, Variant(5.0)); });
    EXPECT_EQ(error.description(), u"Prodejní daň není ve VB podporována!") << field;
  }
}

TEST_F(AmountsTest, VatGroupWithoutSetupClearsVatAndStillRecalculates) {
  InsertRecord(324, {{1, Variant(u"T6-NOSETUP")}});
  auto line = ItemLine(3, 10);
  Validate(*line, 90, Variant(u"STANDARD"));
  EXPECT_DOUBLE_EQ(Number(*line, 25), 21);
  Validate(*line, 90, Variant(u"T6-NOSETUP"));
  EXPECT_DOUBLE_EQ(Number(*line, 25), 0);
  EXPECT_DOUBLE_EQ(Number(*line, 77), 0);
  EXPECT_DOUBLE_EQ(Number(*line, 30), 30);
  EXPECT_EQ(ErrorOf([&] { Validate(*line, 90, Variant(u"T6-UNKNOWN")); }).number(), 999);
}

TEST_F(AmountsTest, NoQuantityZeroesOutstandingAmountsWithoutAHeader) {
  auto line = Alloc(37);  // no document number: reading a header would fail
  for (int32_t field : {57, 59, 92, 93}) Put(*line, field, Variant(7.0));
  Entry37& rules = RulesOf(*line);
  automation::CallMethod(&rules, automation::GetDispId(&rules, u"IniZbývajícíČástku"));
  for (int32_t field : {57, 59, 92, 93}) EXPECT_DOUBLE_EQ(Number(*line, field), 0) << field;
}

TEST_F(AmountsTest, ShippedNotInvoicedAmountFollowsTheShippedQuantity) {
  auto line = ItemLine(4, 10);
  Put(*line, 58, Variant(1.0));
  RulesOf(*line).IniZbývajícíČástku();
  EXPECT_DOUBLE_EQ(Number(*line, 59), 10);
  EXPECT_DOUBLE_EQ(Number(*line, 93), 10);
}

TEST_F(AmountsTest, MissingSalesSetupStopsTheDiscount) {
  auto line = ItemLine(3, 10);
  auto setup = Alloc(311);
  setup->GetRec({});
  setup->Delete();
  EXPECT_EQ(ErrorOf([&] { Validate(*line, 26, Variant(5.0)); }).number(), 999);
}

TEST_F(AmountsTest, ForeignCurrencyIsRefusedOnceOutstandingAmountsAreReached) {
  SetHeaderField(32, Variant(u"EUR"));
  auto line = NewLine();
  Validate(*line, 5, Variant(kResourceLine));
  Validate(*line, 6, Variant(u"NOVAK"));  // quantity 0: no outstanding amounts yet
  Put(*line, 22, Variant(10.0));
  const auto error = ErrorOf([&] { Validate(*line, 15, Variant(2.0)); });
  EXPECT_EQ(error.number(), 999);
  EXPECT_EQ(error.description(), u"Měna");
  EXPECT_DOUBLE_EQ(Number(*line, 16), 2) << "quantities already updated";
  EXPECT_DOUBLE_EQ(Number(*line, 18), 0) << "the ship quantity comes after the failing step";

  for (int32_t field : {23, 57, 59}) {
    const Variant value(1.5);
    EXPECT_EQ(ErrorOf([&] { RulesOf(*line).Validate(Variant(field), &value); }).description(),
              u"Měna");
    EXPECT_DOUBLE_EQ(Number(*line, field), 1.5) << field;
  }
  EXPECT_DOUBLE_EQ(Number(*line, 92), 0);
}

struct RoundingRow {
  const char* name;
  const char16_t* currency;
  double unitPrice, amount;
  friend void PrintTo(const RoundingRow& row, std::ostream* out) { *out << row.name; }
};

class CurrencyRoundingTest : public AmountsTest,
                             public ::testing::WithParamInterface<RoundingRow> {};

// Amounts are rounded half to even to the decimals the currency's rounding precision gives;
// the foreign currency is refused only after the line amount was stored.
TEST_P(CurrencyRoundingTest, LineAmountRoundsToTheCurrencysDecimals) {
  SetHeaderField(32, Variant(GetParam().currency));
  auto line = NewLine();
  Put(*line, 15, Variant(1.0));
  Put(*line, 22, Variant(GetParam().unitPrice));
  EXPECT_EQ(ErrorOf([&] { Validate(*line, 27, Variant(0.0)); }).description(), u"Měna");
  EXPECT_DOUBLE_EQ(Number(*line, 29), GetParam().amount);
}

INSTANTIATE_TEST_SUITE_P(Rows, CurrencyRoundingTest,
                         ::testing::Values(RoundingRow{"WholeEven", u"JPY", 2.5, 2},
                                           RoundingRow{"WholeOdd", u"JPY", 3.5, 4},
                                           RoundingRow{"OneDecimal", u"CHF", 0.25, 0.2},
                                           RoundingRow{"TwoDecimals", u"EUR", 0.125, 0.12},
                                           RoundingRow{"TwoDecimalsUp", u"EUR", 0.375, 0.38}),
                         [](const auto& info) { return info.param.name; });

// The header and its currency are loaded again when the line's document number changes, and a
// blank number is refused even right after a load.
TEST_F(AmountsTest, LineMovedToAnotherHeaderRoundsToThatHeadersCurrency) {
  InsertRecord(36, {{1, Variant(sales::kOrder)},
                    {3, Variant(u"T6-0002")},
                    {2, Variant(sales::kCustomer)},
                    {32, Variant(u"JPY")}});
  auto line = NewLine();
  Put(*line, 15, Variant(1.0));
  Put(*line, 22, Variant(2.5));
  Validate(*line, 27, Variant(0.0));
  EXPECT_DOUBLE_EQ(Number(*line, 29), 2.5);
  Put(*line, 3, Variant(u"T6-0002"));
  EXPECT_EQ(ErrorOf([&] { Validate(*line, 27, Variant(0.0)); }).description(), u"Měna");
  EXPECT_DOUBLE_EQ(Number(*line, 29), 2);
  Put(*line, 3, Variant(u""));
  EXPECT_NE(ErrorOf([&] { Validate(*line, 27, Variant(0.0)); })
                .description()
                .find(u" musí být vyplněno!"),
            std::u16string::npos);
}

TEST_F(AmountsTest, UnusableRoundingPrecisionFailsEveryTime) {
  InsertRecord(4, {{1, Variant(u"T6-NEG")}, {13, Variant(-0.01)}});
  SetHeaderField(32, Variant(u"T6-NEG"));
  auto line = NewLine();
  Put(*line, 15, Variant(1.0));
  Put(*line, 22, Variant(2.5));
  // The second call must not take the half-loaded currency for a loaded one.
  for (int attempt = 0; attempt < 2; ++attempt) {
    EXPECT_EQ(ErrorOf([&] { Validate(*line, 27, Variant(0.0)); }).number(),
              automation::error::kInvalidProcedureCall);
  }
}

}  // namespace
}  // namespace talmo::testing
