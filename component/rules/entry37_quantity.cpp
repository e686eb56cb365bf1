// Entry37: quantities and unit of measure. Each quantity exists in the line's unit and in
// base units (times the unit factor in field 5404, rounded to 5 decimals); the rules keep
// the two in step and keep outstanding, to-ship and to-invoice quantities consistent with
// what was already shipped and invoiced.
//
//   quantity                  line  base
//   ordered                    15   5415
//   outstanding                16   5416
//   to invoice                 17   5417
//   to ship                    18   5418
//   shipped, not invoiced      58   5458
//   shipped                    60   5460
//   invoiced                   61   5461
//   paired with 5495           95   5495
#include <cmath>

#include "errors/component_error.h"
#include "records/table.h"
#include "rules/entry37.h"

namespace talmo {

using automation::Currency;
using automation::Ref;
using automation::Variant;

namespace {

constexpr std::u16string_view kBelowShipped = u"Množství nesmí být menší než Dodané množství";
constexpr std::u16string_view kBaseBelowShipped =
    u"Množství (základ) nesmí být menší než Dodané množství (základ)";
constexpr std::u16string_view kInvoiceMore = u"Nemůžete fakturovat více než ";
constexpr std::u16string_view kShipMore = u"Nemůžete dodat více než ";
constexpr std::u16string_view kUnits = u" jednotek.";
constexpr std::u16string_view kInvoiceUnits = u" jednotek.'";
constexpr std::u16string_view kBaseUnits = u" základních jednotek.";
constexpr std::u16string_view kNumberLinkedText =
    u"'Číslo' nemůžete změnit, protože řádek objednávky je spojen s nákupní objednávkou ";
constexpr std::u16string_view kUnitLinkedText =
    u"Kód jednotky nemůžete změnit, protože řádek objednávky je spojen s nákupní objednávkou ";

constexpr int16_t kItemLine = 2;

// The limit message: `text`, the number in its automation text form, `units`.
[[noreturn]] void RaiseLimit(std::u16string_view text, const Variant& limit,
                             std::u16string_view units) {
  RaiseComponentError(
      automation::Concat(automation::Concat(Variant(text), limit), Variant(units)).ToString());
}

// q below the shipped quantity s in magnitude, or of the other sign.
bool BelowShipped(double q, double s) { return q * s < 0 || std::fabs(q) < std::fabs(s); }

// q of the other sign than `reference`, or larger in magnitude than `limit`.
bool BeyondLimit(double q, double reference, double limit) {
  return q * reference < 0 || std::fabs(q) > std::fabs(limit);
}

}  // namespace

double Entry37::ToBaseQuantity(double quantity) {
  TestField(5404);
  return automation::Round(automation::Multiply(Variant(quantity), Get(5404)), 5).ToDouble();
}

double Entry37::InvoiceableQuantity() {
  return automation::Subtract(automation::Add(Get(60), Get(18)), Get(61)).ToDouble();
}

double Entry37::InvoiceableQuantityBase() {
  return automation::Subtract(automation::Add(Get(5460), Get(5418)), Get(5461)).ToDouble();
}

void Entry37::ResetInvoiceQuantity() {
  Set(17, Variant(InvoiceableQuantity()));
  Set(5417, Variant(InvoiceableQuantityBase()));
}

void Entry37::ResetShipQuantity() {
  Set(18, Get(16));
  Set(5418, Get(5416));
  ResetInvoiceQuantity();
}

void Entry37::RecalcOutstanding() {
  Set(16, automation::Subtract(Get(15), Get(60)));
  Set(5416, automation::Subtract(Get(5415), Get(5460)));
  Set(58, automation::Subtract(Get(60), Get(61)));
  Set(5458, automation::Subtract(Get(5460), Get(5461)));
  Set(5405, Variant(automation::Equals(Get(95), Get(16))));
  IniZbývajícíČástku();
}

void Entry37::VerifyUnitFactor() {
  TestField(5404);
  LoadHeaderAndCurrency();
}

void Entry37::Field15(std::u16string_view quantity) {
  Set(15, Variant(quantity));
  RefuseLinkedLine(kNumberLinkedText);
  Set(5415, Variant(ToBaseQuantity(Get(15).ToDouble())));
  if (BelowShipped(Get(15).ToDouble(), Get(60).ToDouble())) RaiseComponentError(kBelowShipped);
  if (BelowShipped(Get(5415).ToDouble(), Get(5460).ToDouble())) {
    RaiseComponentError(kBaseBelowShipped);
  }
  RecalcOutstanding();
  ResetShipQuantity();
  Set(26, Variant(int16_t{0}));

  if (Get(5).ToLong() == kItemLine) {
    LoadHeaderAndCurrency();
    if (Header(36).ToBoolean() && Get(43).ToBoolean()) {
      Ref<Table> discounts = AllocLookupTable(29);
      const Variant discountCode = Get(9);
      discounts->SetRange(FieldId(1), &discountCode);
      // The range starts at the text "0": a number 0 as the lower bound would make
      // SetRange remove the filter on field 3 instead of applying it.
      const Variant from(u"0");
      const Variant to(std::fabs(Get(5404).ToDouble()));
      discounts->SetRange(FieldId(3), &from, &to);
      if (discounts->Find(u"+")) Set(26, discounts->Field(FieldId(4)));
    }
  }
  Revalidate(26);
}

void Entry37::Field17(Currency quantityToInvoice) {
  Set(17, Variant(quantityToInvoice));
  if (automation::Equals(Get(17), Variant(InvoiceableQuantity()))) {
    ResetInvoiceQuantity();
  } else {
    Set(5417, Variant(ToBaseQuantity(Get(17).ToDouble())));
  }
  const double invoiceable = InvoiceableQuantity();
  if (BeyondLimit(Get(17).ToDouble(), Get(15).ToDouble(), invoiceable)) {
    RaiseLimit(kInvoiceMore, Variant(invoiceable), kInvoiceUnits);
  }
  const double invoiceableBase = InvoiceableQuantityBase();
  if (BeyondLimit(Get(5417).ToDouble(), Get(5415).ToDouble(), invoiceableBase)) {
    RaiseLimit(kInvoiceMore, Variant(invoiceableBase), kBaseUnits);
  }
}

void Entry37::Field18(Currency quantityToShip) {
  Set(18, Variant(quantityToShip));
  if (automation::Equals(Get(18), Get(16))) {
    ResetShipQuantity();
  } else {
    Set(5418, Variant(ToBaseQuantity(Get(18).ToDouble())));
    ResetInvoiceQuantity();
  }
  const double quantity = Get(15).ToDouble();
  const double outstanding = Get(16).ToDouble();
  if (BeyondLimit(Get(18).ToDouble(), quantity, outstanding) || quantity * outstanding < 0) {
    RaiseLimit(kShipMore, Get(16), kUnits);
  }
  const double quantityBase = Get(5415).ToDouble();
  const double outstandingBase = Get(5416).ToDouble();
  if (BeyondLimit(Get(5418).ToDouble(), quantityBase, outstandingBase) ||
      quantityBase * outstandingBase < 0) {
    RaiseLimit(kShipMore, Get(5416), kBaseUnits);
  }
}

void Entry37::Field5407(std::u16string_view unitOfMeasure) {
  Set(5407, Variant(unitOfMeasure));
  const Variant zero(int16_t{0});
  TestField(60, zero);
  TestField(5460, zero);
  RefuseLinkedLine(kUnitLinkedText);

  if (IsBlankText(Get(5407))) {
    Set(13, Variant(u""));
  } else {
    Ref<Table> translations = AllocLookupTable(5402);
    Ref<Table> units = AllocLookupTable(204);
    const Variant unitKey[] = {Variant(unitOfMeasure)};
    if (!units->GetRecT(unitKey)) units->Init();
    Set(13, units->Field(FieldId(2)));
    LoadHeaderAndCurrency();
    const Variant language = Header(41);
    if (!IsBlankText(language)) {
      translations->SetRange(FieldId(1), &unitKey[0]);
      translations->SetRange(FieldId(2), &language);
      if (translations->Find(u"-")) Set(13, translations->Field(FieldId(3)));
    }
  }

  if (Get(5).ToLong() == kItemLine) {
    LoadItem();
    Set(34, automation::Multiply(Item(41), Get(5404)));
    Set(35, automation::Multiply(Item(42), Get(5404)));
    Set(37, automation::Multiply(Item(44), Get(5404)));
    Set(23, automation::Multiply(Item(22), Get(5404)));
    VerifyUnitFactor();
  } else {
    Set(5404, Variant(int16_t{1}));
  }
  Revalidate(15);
  ValidateWith(5495, Get(5495));
}

void Entry37::Field5495(Currency value) {
  Set(5495, Variant(value));
  TestField(5404);
  Set(95, automation::Round(automation::Divide(Get(5495), Get(5404)), 5));
  Set(5405, Variant(automation::Equals(Get(95), Get(16))));
}

}  // namespace talmo
