#include "rules/entry36.h"

#include <array>
#include <utility>

#include "records/table.h"

namespace talmo {

using automation::InvokeKind;
using automation::Ref;
using automation::Variant;

namespace {

// (header field, customer field), copied in this order.
constexpr std::array<std::pair<int32_t, int32_t>, 14> kCustomerFields = {{
    {79, 2},
    {80, 4},
    {81, 5},
    {82, 6},
    {83, 7},
    {88, 91},
    {89, 92},
    {90, 35},
    {84, 8},
    {74, 88},
    {116, 110},
    {114, 108},
    {115, 109},
    {70, 86},
}};

}  // namespace

void Entry36::Validate(const Variant& id, const Variant& newValue) {
  Table& rec = RecTable();
  const int32_t field = rec.FieldNo(id);
  if (field == 2) {
    Field2(newValue.ToString());
  } else {
    rec.SetField(FieldId(field), newValue);
  }
}

void Entry36::Field2(std::u16string_view customerNo) {
  Table& rec = RecTable();
  rec.SetField(FieldId(2), Variant(customerNo));
  if (customerNo.empty()) return;

  Ref<Table> customer = AllocLookupTable(18);
  const Variant key[] = {Variant(customerNo)};
  customer->GetRec(key);
  const Variant notBlocked(false);
  customer->TestField(FieldId(39), &notBlocked);
  customer->TestField(FieldId(88));

  for (const auto& [headerField, customerField] : kCustomerFields) {
    rec.SetField(FieldId(headerField), customer->Field(FieldId(customerField)));
  }

  // The bill-to customer: the customer's own one when it names one, else the customer.
  const Variant billTo = customer->Field(FieldId(45));
  Validate(FieldId(4), IsBlankText(billTo) ? rec.Field(FieldId(2)) : billTo);
  Validate(FieldId(12), Variant(u""));
}

void Entry36::InvokeMember(automation::DispId id, InvokeKind kind, std::span<Variant> args,
                           Variant& result) {
  automation::Args a(args);
  switch (id) {
    case kRecDispId:
      InvokeRec(kind, args, result);
      return;
    case kValidateId:
      if (kind != InvokeKind::kMethod) break;
      a.ExpectCount(0, 2);
      Validate(a.Required(0), a.Required(1));
      return;
    case kField2Id:
      if (kind != InvokeKind::kPropertyPut) break;
      a.ExpectCount(1, 1);
      Field2(a.Required(0).ToString());
      return;
  }
  automation::RaiseMemberNotFound();
}

std::span<const automation::MemberName> Entry36::MemberNames() const noexcept {
  static constexpr automation::MemberName kNames[] = {
      {u"Rec", kRecDispId},
      {u"Validate", kValidateId},
      {u"Field2", kField2Id},
  };
  return kNames;
}

}  // namespace talmo
