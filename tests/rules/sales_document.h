// A sales order of the test's own on top of the sample company: customer T6-CUST, item
// T6-ITEM (unit cost 4.5, item discount group T6-DG with line discounts of 10 % from
// quantity 0 and 20 % from quantity 5), and the order header (1, "T6-0001") in local
// currency with VAT business group NATIONAL. The sample's VAT setup gives NATIONAL/STANDARD
// 21 %, REDUCED 10 %, FULL (account 34310) and SALES TAX.
#pragma once

#include <cstdint>
#include <string>

#include "automation/ref.h"
#include "automation/variant.h"
#include "live_session.h"
#include "records/table.h"
#include "rules/entry37.h"

namespace talmo::testing {

namespace sales {
inline constexpr int16_t kOrder = 1;
inline constexpr char16_t kDocumentNo[] = u"T6-0001";
inline constexpr char16_t kCustomer[] = u"T6-CUST";
inline constexpr char16_t kItem[] = u"T6-ITEM";
inline constexpr char16_t kDiscountGroup[] = u"T6-DG";
inline constexpr double kItemUnitCost = 4.5;

// Line types (field 5).
inline constexpr int16_t kTextLine = 0;
inline constexpr int16_t kAccountLine = 1;
inline constexpr int16_t kItemLine = 2;
inline constexpr int16_t kResourceLine = 3;
}  // namespace sales

class SalesDocumentTest : public RulesTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Changes a field of the stored header. Lines read the header on their first rule, so
  // change it before that.
  void SetHeaderField(int32_t field, const automation::Variant& value);
  // Sales setup field 3: 0 adds a line's two discounts up, 1 compounds them.
  void SetDiscountCalculation(int16_t calculation);

  // A new line (not inserted) of the order: key fields 1, 3, 4 set, everything else as the
  // client initialises it; its Entry37 is attached by AllocTable.
  automation::Ref<Table> NewLine(int32_t lineNo = 10000);
  // The line's Entry37.
  static Entry37& RulesOf(Table& line);
  // Table.Validate(field, value) on the line: the path real callers take.
  static void Validate(Table& line, int32_t field, const automation::Variant& value);
  // An item line of T6-ITEM with unit price `unitPrice` and quantity `quantity`.
  automation::Ref<Table> ItemLine(double quantity, double unitPrice);

  automation::Ref<Table> header_;
};

}  // namespace talmo::testing
