// Entry37: prices, discounts, amounts and VAT. Amounts are derived from the quantity, the
// unit price (22), the discounts and the VAT settings, with the automation arithmetic of
// Currency and Double values, and rounded half to even to the currency's decimals, to 5 or
// to 2 decimals as each rule states. Documents in a foreign currency are refused ("Měna")
// by the rules of fields that have a local-currency counterpart.
#include "errors/component_error.h"
#include "records/table.h"
#include "rules/entry37.h"

namespace talmo {

using automation::Add;
using automation::Currency;
using automation::Divide;
using automation::Multiply;
using automation::Ref;
using automation::Round;
using automation::Subtract;
using automation::Variant;

namespace {

constexpr std::u16string_view kForeignCurrency = u"Měna";
constexpr std::u16string_view kNoSalesSetup = u"Neexistuje nastavení prodeje";
constexpr std::u16string_view kFullVatAmount =
    u"Částka musí být 0, když 'Typ výpočtu DPH' je 'Plná DPH'";
constexpr std::u16string_view kSalesTax = u"Prodejní daň není ve VB podporována!";

// VAT calculation types (field 77).
constexpr int32_t kNormalVat = 0;
constexpr int32_t kReverseChargeVat = 1;
constexpr int32_t kFullVat = 2;
constexpr int32_t kSalesTaxVat = 3;

const Variant kZero(int16_t{0});
const Variant kOne(int16_t{1});
const Variant kHundred(int16_t{100});

// 1 - percent / 100
Variant Remainder(const Variant& percent) { return Subtract(kOne, Divide(percent, kHundred)); }

}  // namespace

void Entry37::ComputeLineAmount() {
  LoadHeaderAndCurrency();
  lineAmount_ = Multiply(Get(15), Get(22)).ToCurrency();
  if (Header(35).ToBoolean()) {  // prices include VAT
    switch (Get(77).ToLong()) {
      case kNormalVat:
      case kReverseChargeVat:
      case kSalesTaxVat:
        lineAmount_ =
            Divide(Multiply(Get(15), Get(22)), Add(kOne, Divide(Get(25), kHundred))).ToCurrency();
        break;
      case kFullVat:
        lineAmount_ = Multiply(Get(15), Get(22)).ToCurrency();
        break;
      default:
        break;
    }
  }
  lineAmount_ = Round(Variant(lineAmount_), CurrencyDecimals()).ToCurrency();
}

void Entry37::RecalcAmounts() {
  LoadHeaderAndCurrency();
  ComputeLineAmount();
  switch (Get(77).ToLong()) {
    case kNormalVat:
    case kReverseChargeVat:
      Set(29, Round(Subtract(Subtract(Variant(lineAmount_), Get(28)), Get(69)), 5));
      Set(99, Round(Multiply(Get(29), Remainder(Header(119))), 5));
      Set(30, Round(Add(Get(29), Divide(Multiply(Get(99), Get(25)), kHundred)), 5));
      break;
    case kFullVat:
      Set(29, kZero);
      Set(99, kZero);
      Set(30, Round(Variant(lineAmount_), 2));
      break;
    default:
      break;
  }
  IniZbývajícíČástku();
}

void Entry37::IniZbývajícíČástku() {
  if (automation::Equals(Get(15), kZero)) {
    Set(57, kZero);
    Set(92, kZero);
    Set(59, kZero);
    Set(93, kZero);
    return;
  }
  LoadHeaderAndCurrency();
  const int32_t decimals = CurrencyDecimals();
  ValidateWith(57, Round(Divide(Multiply(Get(99), Get(16)), Get(15)), decimals));
  ValidateWith(59, Round(Divide(Multiply(Get(99), Get(58)), Get(15)), decimals));
}

void Entry37::Field23(Currency unitAmount) {
  Set(23, Variant(unitAmount));
  LoadHeaderAndCurrency();
  if (!IsBlankText(Header(32))) RaiseComponentError(kForeignCurrency);
  Set(100, Get(23));
}

void Entry37::Field26(Currency lineDiscountPercent) {
  Variant combination;
  {
    Ref<Table> setup = AllocLookupTable(311);
    if (!setup->GetRec({}).ToBoolean()) RaiseComponentError(kNoSalesSetup);
    combination = setup->Field(FieldId(3));
  }
  Set(26, Variant(lineDiscountPercent));
  if (automation::Equals(combination, kZero)) {  // discounts add up
    Set(27, Add(Get(55), Get(26)));
  } else {  // discounts compound
    Set(27, Round(Subtract(kHundred,
                           Multiply(Multiply(kHundred, Remainder(Get(55))), Remainder(Get(26)))),
                  5));
  }
  if (automation::Compare(Get(27), kHundred) == automation::Comparison::kGreater) {
    Set(27, kHundred);
  }
  Revalidate(27);
}

void Entry37::Field27(Currency totalDiscountPercent) {
  Set(27, Variant(totalDiscountPercent));
  ComputeLineAmount();
  Set(28, Round(Divide(Multiply(Get(27), Variant(lineAmount_)), kHundred), CurrencyDecimals()));
  Set(69, kZero);
  RecalcAmounts();
}

void Entry37::AssignLineAmountField(int32_t field, Currency value) {
  Set(field, Variant(value));
  TestField(5);
  TestField(15);
  TestField(22);
  LoadHeaderAndCurrency();
  Set(field, Round(Get(field), CurrencyDecimals()));
}

void Entry37::Field29(Currency lineAmount) {
  AssignLineAmountField(29, lineAmount);
  switch (Get(77).ToLong()) {
    case kNormalVat:
    case kReverseChargeVat:
      Set(99, Round(Multiply(Get(29), Remainder(Header(119))), 5));
      Set(30, Round(Add(Get(29), Divide(Multiply(Get(99), Get(25)), kHundred)), 5));
      break;
    case kFullVat:
      if (!automation::Equals(Get(29), kZero)) RaiseComponentError(kFullVatAmount);
      break;
    case kSalesTaxVat:
      RaiseComponentError(kSalesTax);
    default:
      break;
  }
  DiscountFromLineAmount();
}

void Entry37::Field30(Currency amountIncludingVat) {
  AssignLineAmountField(30, amountIncludingVat);
  switch (Get(77).ToLong()) {
    case kNormalVat:
    case kReverseChargeVat: {
      const Variant vatFactor =
          Add(kOne, Divide(Multiply(Remainder(Header(119)), Get(25)), kHundred));
      Set(29, Round(Divide(Get(30), vatFactor), 5));
      Set(99, Round(Multiply(Get(29), Remainder(Header(119))), 5));
      break;
    }
    case kFullVat:
      Set(29, kZero);
      Set(99, kZero);
      break;
    case kSalesTaxVat:
      RaiseComponentError(kSalesTax);
    default:
      break;
  }
  DiscountFromLineAmount();
}

void Entry37::DiscountFromLineAmount() {
  Set(69, kZero);
  ComputeLineAmount();
  Set(28, Subtract(Variant(lineAmount_), Get(29)));
  if (!automation::Equals(Get(22), kZero)) {
    Set(27, Round(Multiply(Divide(Get(28), Variant(lineAmount_)), kHundred), 5));
  } else {
    Set(27, kZero);
  }
  IniZbývajícíČástku();
}

void Entry37::Field57(Currency outstandingAmount) {
  SetAmountWithCounterpart(57, 92, outstandingAmount);
}

void Entry37::Field59(Currency shippedNotInvoicedAmount) {
  SetAmountWithCounterpart(59, 93, shippedNotInvoicedAmount);
}

void Entry37::SetAmountWithCounterpart(int32_t field, int32_t counterpart, Currency value) {
  Set(field, Variant(value));
  LoadHeaderAndCurrency();
  if (!IsBlankText(Header(32))) RaiseComponentError(kForeignCurrency);
  Set(counterpart, Round(Get(field), 2));
}

void Entry37::Field90(std::u16string_view vatProductGroup) {
  if (!vatProductGroup.empty()) {
    Ref<Table> groups = AllocLookupTable(324);
    const Variant key[] = {Variant(vatProductGroup)};
    groups->GetRec(key);
  }
  Set(90, Variant(vatProductGroup));

  Ref<Table> setup = AllocLookupTable(325);
  const Variant setupKey[] = {Get(89), Get(90)};
  if (!setup->GetRecT(setupKey)) setup->Init();
  Set(25, setup->Field(FieldId(4)));
  Set(77, setup->Field(FieldId(3)));
  switch (Get(77).ToLong()) {
    case kReverseChargeVat:
    case kSalesTaxVat:
      Set(25, kZero);
      break;
    case kFullVat: {
      TestField(5, Variant(int16_t{1}));  // an account line
      setup->TestField(FieldId(7));
      TestField(6, setup->Field(FieldId(7)));
      break;
    }
    default:
      break;
  }
  RecalcAmounts();
}

}  // namespace talmo
