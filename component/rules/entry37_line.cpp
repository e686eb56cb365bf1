// Entry37: the line type (Field5) and the number (Field6) that decide what a line sells.
#include <array>
#include <utility>

#include "errors/component_error.h"
#include "records/table.h"
#include "rules/entry37.h"

namespace talmo {

using automation::Ref;
using automation::Variant;

namespace {

constexpr std::u16string_view kTypeLinkedText =
    u"Typ nemůžete změnit, protože řádek objednávky je spojen s nákupní objednávkou ";
constexpr std::u16string_view kNumberLinkedText =
    u"'Číslo' nemůžete změnit, protože řádek objednávky je spojen s nákupní objednávkou ";

// Line types (field 5).
constexpr int16_t kTextLine = 0;
constexpr int16_t kAccountLine = 1;
constexpr int16_t kItemLine = 2;
constexpr int16_t kResourceLine = 3;

// (line field, header field), copied in this order when a number rebuilds the line.
constexpr std::array<std::pair<int32_t, int32_t>, 18> kHeaderFields = {{
    {2, 2},
    {91, 32},
    {10, 21},
    {40, 29},
    {41, 30},
    {45, 56},
    {7, 28},
    {42, 34},
    {78, 76},
    {79, 77},
    {68, 4},
    {74, 74},
    {89, 116},
    {81, 97},
    {82, 101},
    {83, 102},
    {85, 114},
    {86, 115},
}};

}  // namespace

void Entry37::CheckLineUnlocked(std::u16string_view linkedOrderText) {
  const Variant zero(int16_t{0});
  TestField(58, zero);
  TestField(60, zero);
  TestField(5495, zero);
  TestField(63, Variant(u""));
  RefuseLinkedLine(linkedOrderText);
}

void Entry37::RefuseLinkedLine(std::u16string_view text) {
  if (automation::Equals(Get(72), Variant(int16_t{0}))) return;
  RaiseComponentError(automation::Concat(Variant(text), Get(71)).ToString());
}

void Entry37::Field5(int16_t type) {
  const bool flag101 = Get(101).ToBoolean();
  CheckLineUnlocked(kTypeLinkedText);
  RecTable().Init();
  Set(5, Variant(type));
  Set(101, Variant(flag101));
}

void Entry37::Field6(std::u16string_view number) {
  const int16_t type = Get(5).ToInteger();
  const bool flag101 = Get(101).ToBoolean();
  const double quantity = Get(15).ToDouble();
  CheckLineUnlocked(kNumberLinkedText);
  if (number.empty()) {
    Set(6, Variant(u""));
    return;
  }

  RecTable().Init();
  Set(5, Variant(type));
  Set(6, Variant(number));
  Set(101, Variant(flag101));
  LoadHeaderAndCurrency();
  for (const auto& [lineField, headerField] : kHeaderFields) Set(lineField, Header(headerField));

  const Variant key[] = {Variant(number)};
  const Variant no(false);
  const Variant yes(true);
  const int16_t lineType = Get(5).ToInteger();
  switch (lineType) {
    case kTextLine: {
      Ref<Table> text = AllocLookupTable(7);
      text->GetRec(key);
      Set(11, text->Field(FieldId(2)));
      break;
    }
    case kAccountLine: {
      Ref<Table> account = AllocLookupTable(15);
      account->GetRec(key);
      const Variant postingAccount(int16_t{0});
      account->TestField(FieldId(4), &postingAccount);
      account->TestField(FieldId(13), &no);
      if (!Get(101).ToBoolean()) account->TestField(FieldId(14), &yes);
      Set(11, account->Field(FieldId(2)));
      Set(75, account->Field(FieldId(45)));
      Set(90, account->Field(FieldId(58)));
      Set(87, account->Field(FieldId(56)));
      Set(32, no);
      break;
    }
    case kItemLine:
      LoadItem();
      itemRec_->TestField(FieldId(54), &no);
      itemRec_->TestField(FieldId(11));
      itemRec_->TestField(FieldId(91));
      Set(8, Item(11));
      Set(9, Item(13));
      Set(11, Item(3));
      Set(12, Item(5));
      ValidateWith(23, Item(22));
      Set(32, Item(15));
      Set(36, Item(43));
      Set(75, Item(91));
      Set(90, Item(99));
      Set(87, Item(98));
      ValidateWith(5407, Item(5425));
      break;
    case kResourceLine: {
      Ref<Table> resource = AllocLookupTable(156);
      resource->GetRec(key);
      resource->TestField(FieldId(38), &no);
      resource->TestField(FieldId(51));
      Set(11, resource->Field(FieldId(3)));
      ValidateWith(5407, resource->Field(FieldId(18)));
      Set(23, resource->Field(FieldId(21)));
      Set(75, resource->Field(FieldId(51)));
      Set(90, resource->Field(FieldId(58)));
      Set(87, resource->Field(FieldId(57)));
      break;
    }
    default:
      break;
  }

  if (lineType != kTextLine) {
    Revalidate(90);
    ValidateWith(15, Variant(quantity));
  }
}

}  // namespace talmo
