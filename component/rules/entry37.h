// `Entry37`: the field rules of the sales line table (37). Assigning a field through it runs
// the cascade of look-ups, checks and recalculations the application runs when a user edits
// that field, in the record buffer of `Rec` only; the caller stores the line afterwards.
//
// The rules are spread over four files: entry37.cpp (dispatch, look-up tables, Validate),
// entry37_line.cpp (type and number), entry37_quantity.cpp (quantities, unit of measure) and
// entry37_amounts.cpp (prices, discounts, amounts, VAT).
//
// Every rule raises automation::AutomationError: its own checks as 999 with a Czech text,
// failures of the Table members it calls unchanged. Nothing is undone on failure: the fields
// assigned before the failing step keep their new values.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "automation/ref.h"
#include "automation/variant.h"
#include "rules/record_rule.h"

namespace talmo {

inline constexpr std::string_view kEntry37Iid = "{A5C6067B-4060-4C95-B484-B803E991806D}";
inline constexpr std::string_view kEntry37Clsid = "{E7D08584-C2FB-4F61-BB2B-00DA6EAE561D}";

class Entry37 final : public RecordRule {
 public:
  // Dispatch ids of `_Entry37`.
  static constexpr automation::DispId kValidateId = 0x6003000f;
  static constexpr automation::DispId kField5Id = 0x6803000e;
  static constexpr automation::DispId kField6Id = 0x6803000d;
  static constexpr automation::DispId kField15Id = 0x6803000c;
  static constexpr automation::DispId kField17Id = 0x6803000b;
  static constexpr automation::DispId kField18Id = 0x6803000a;
  static constexpr automation::DispId kField23Id = 0x68030009;
  static constexpr automation::DispId kField26Id = 0x68030008;
  static constexpr automation::DispId kField27Id = 0x68030007;
  static constexpr automation::DispId kField29Id = 0x68030006;
  static constexpr automation::DispId kField30Id = 0x68030005;
  static constexpr automation::DispId kField57Id = 0x68030004;
  static constexpr automation::DispId kField59Id = 0x68030003;
  static constexpr automation::DispId kField90Id = 0x68030002;
  static constexpr automation::DispId kField5407Id = 0x68030001;
  static constexpr automation::DispId kField5495Id = 0x68030000;
  static constexpr automation::DispId kIniZbývajícíČástkuId = 0x60030014;

  // Creation steps: allocates HeaderRec (36), ItemRec (27) and CurrencyRec (4) through
  // CurrentDatabase's AllocTable; raises its error when that fails, and no object exists.
  Entry37();
  // Release steps: Rec, HeaderRec, ItemRec, CurrencyRec, in this order.
  ~Entry37() override;

  // Runs the rule of field `id` (a number or a name) with `newValue`, or with the field's
  // current value when `newValue` is null or Missing. Fields without a rule are assigned.
  void Validate(const automation::Variant& id, const automation::Variant* newValue = nullptr);

  // ---- Type and number.
  // New line type: lock checks, Init, then type and field 101 restored.
  void Field5(int16_t type);
  // New number: lock checks, then (unless "") the line is rebuilt from the header and the
  // text, account, item or resource the number names, and the VAT and quantity rules rerun
  // with the quantity the line had.
  void Field6(std::u16string_view number);

  // ---- Quantities and unit of measure.
  // The ordered quantity as text, converted by the Table.
  void Field15(std::u16string_view quantity);
  void Field17(automation::Currency quantityToInvoice);
  void Field18(automation::Currency quantityToShip);
  void Field5407(std::u16string_view unitOfMeasure);
  void Field5495(automation::Currency value);

  // ---- Prices, discounts, amounts and VAT.
  void Field23(automation::Currency unitAmount);
  void Field26(automation::Currency lineDiscountPercent);
  void Field27(automation::Currency totalDiscountPercent);
  void Field29(automation::Currency lineAmount);
  void Field30(automation::Currency amountIncludingVat);
  void Field57(automation::Currency outstandingAmount);
  void Field59(automation::Currency shippedNotInvoicedAmount);
  void Field90(std::u16string_view vatProductGroup);
  // Recomputes the outstanding (57, 92) and shipped-not-invoiced (59, 93) amounts.
  void IniZbývajícíČástku();

  std::u16string ClassName() const override { return u"Entry37"; }

 protected:
  void InvokeMember(automation::DispId id, automation::InvokeKind kind,
                    std::span<automation::Variant> args, automation::Variant& result) override;
  std::span<const automation::MemberName> MemberNames() const noexcept override;

 private:
  // ---- Look-ups (entry37.cpp).
  // Makes HeaderRec hold the line's header (1, 3) and CurrencyRec its currency, with field
  // 13 turned into the number of decimal places of amounts and field 14 set to 5.
  void LoadHeaderAndCurrency();
  // Makes ItemRec hold the item named by field 6.
  void LoadItem();
  // CurrencyRec field 13 after LoadHeaderAndCurrency.
  int32_t CurrencyDecimals();

  // Shorthands on Rec and the look-up tables.
  automation::Variant Get(int32_t field);
  void Set(int32_t field, const automation::Variant& value);
  automation::Variant Header(int32_t field);
  automation::Variant Item(int32_t field);
  void TestField(int32_t field);
  void TestField(int32_t field, const automation::Variant& expected);
  // Validate(field) / Validate(field, value) for the chains between the rules.
  void Revalidate(int32_t field);
  void ValidateWith(int32_t field, const automation::Variant& value);

  // ---- Type and number (entry37_line.cpp).
  // The checks that refuse a type or number change on a shipped or linked line.
  void CheckLineUnlocked(std::u16string_view linkedOrderText);

  // ---- Quantities (entry37_quantity.cpp).
  double ToBaseQuantity(double quantity);
  double InvoiceableQuantity();
  double InvoiceableQuantityBase();
  void ResetShipQuantity();
  void ResetInvoiceQuantity();
  void RecalcOutstanding();
  void VerifyUnitFactor();
  // 999 "<text><field 71>" when the line is linked to a purchase order (field 72 not 0).
  void RefuseLinkedLine(std::u16string_view text);

  // ---- Amounts (entry37_amounts.cpp).
  void ComputeLineAmount();
  void RecalcAmounts();
  // The start of Field29 and Field30: the amount stored, the line checked, rounded to the
  // currency's decimals.
  void AssignLineAmountField(int32_t field, automation::Currency value);
  // The end of Field29 and Field30: discount amount and percent from the line amount just
  // set, then the outstanding amounts.
  void DiscountFromLineAmount();
  void SetAmountWithCounterpart(int32_t field, int32_t counterpart, automation::Currency value);

  automation::Ref<Table> headerRec_;
  automation::Ref<Table> itemRec_;
  automation::Ref<Table> currencyRec_;
  automation::Currency lineAmount_;
  // True once CurrencyRec was set up for the header HeaderRec holds.
  bool currencyReady_ = false;
  // HeaderRec's fields 1 and 3 as that load left them: HeaderRec changes only there.
  automation::Variant loadedHeaderKey_[2];
};

}  // namespace talmo
