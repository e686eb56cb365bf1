#include "rules/entry37.h"

#include <cmath>

#include "automation/automation_error.h"
#include "records/table.h"

namespace talmo {

using automation::Currency;
using automation::InvokeKind;
using automation::Variant;

namespace {

// Log as the automation runtime has it: 5 for an argument that is not positive.
double NaturalLog(double x) {
  if (!(x > 0)) automation::RaiseStandard(automation::error::kInvalidProcedureCall);
  return std::log(x);
}

}  // namespace

Entry37::Entry37()
    : headerRec_(AllocLookupTable(36)),
      itemRec_(AllocLookupTable(27)),
      currencyRec_(AllocLookupTable(4)) {}

Entry37::~Entry37() {
  SetRec(nullptr);
  headerRec_.reset();
  itemRec_.reset();
  currencyRec_.reset();
}

void Entry37::Validate(const Variant& id, const Variant* newValue) {
  const int32_t field = RecTable().FieldNo(id);
  const Variant value =
      (newValue == nullptr || newValue->IsMissing()) ? Get(field) : newValue->Deref();
  switch (field) {
    case 5:
      Field5(value.ToInteger());
      break;
    case 6:
      Field6(value.ToString());
      break;
    case 15:
      Field15(value.ToString());
      break;
    case 90:
      Field90(value.ToString());
      break;
    case 5407:
      Field5407(value.ToString());
      break;
    case 17:
      Field17(value.ToCurrency());
      break;
    case 18:
      Field18(value.ToCurrency());
      break;
    case 23:
      Field23(value.ToCurrency());
      break;
    case 26:
      Field26(value.ToCurrency());
      break;
    case 27:
      Field27(value.ToCurrency());
      break;
    case 29:
      Field29(value.ToCurrency());
      break;
    case 30:
      Field30(value.ToCurrency());
      break;
    case 57:
      Field57(value.ToCurrency());
      break;
    case 59:
      Field59(value.ToCurrency());
      break;
    case 5495:
      Field5495(value.ToCurrency());
      break;
    default:
      Set(field, value);
      break;
  }
}

void Entry37::LoadHeaderAndCurrency() {
  Table& rec = RecTable();
  // The early stop trusts the buffers only after a load that ran to its end: a load that
  // failed half way (currency missing, bad precision) must not leave a raw rounding
  // precision to be read as a number of decimals. A line that names the header loaded then
  // has a number that is not blank, so its test can wait for a line that does not.
  if (currencyReady_ && automation::Equals(rec.Field(FieldId(3)), loadedHeaderKey_[1]) &&
      automation::Equals(rec.Field(FieldId(1)), loadedHeaderKey_[0])) {
    return;
  }
  rec.TestField(FieldId(3));
  currencyReady_ = false;
  const Variant headerKey[] = {rec.Field(FieldId(1)), rec.Field(FieldId(3))};
  headerRec_->GetRec(headerKey);
  loadedHeaderKey_[0] = Header(1);
  loadedHeaderKey_[1] = Header(3);

  const Variant currencyCode = Header(32);
  if (IsBlankText(currencyCode)) {
    currencyRec_->SetField(FieldId(13), Variant(0.01));
    currencyRec_->SetField(FieldId(14), Variant(0.0001));
  } else {
    const Variant currencyKey[] = {currencyCode};
    currencyRec_->GetRec(currencyKey);
    currencyRec_->TestField(FieldId(13));
  }
  // The amount rounding precision becomes its number of decimal places: 0.01 gives 2,
  // 0.05 gives 1, 1 gives 0.
  const Variant inverse = automation::Divide(Variant(int16_t{1}), currencyRec_->Field(FieldId(13)));
  const double decimals = NaturalLog(inverse.ToDouble()) / NaturalLog(10);
  currencyRec_->SetField(FieldId(13), Variant(Variant(decimals).ToInteger()));
  currencyRec_->SetField(FieldId(14), Variant(int16_t{5}));
  currencyReady_ = true;
}

void Entry37::LoadItem() {
  TestField(6);
  const Variant itemNo = Get(6);
  if (!automation::Equals(Item(1), itemNo)) {
    const Variant key[] = {itemNo};
    itemRec_->GetRec(key);
  }
}

int32_t Entry37::CurrencyDecimals() { return currencyRec_->Field(FieldId(13)).ToLong(); }

Variant Entry37::Get(int32_t field) { return RecTable().Field(FieldId(field)); }

void Entry37::Set(int32_t field, const Variant& value) {
  RecTable().SetField(FieldId(field), value);
}

Variant Entry37::Header(int32_t field) { return headerRec_->Field(FieldId(field)); }

Variant Entry37::Item(int32_t field) { return itemRec_->Field(FieldId(field)); }

void Entry37::TestField(int32_t field) { RecTable().TestField(FieldId(field)); }

void Entry37::TestField(int32_t field, const Variant& expected) {
  RecTable().TestField(FieldId(field), &expected);
}

void Entry37::Revalidate(int32_t field) { Validate(FieldId(field)); }

void Entry37::ValidateWith(int32_t field, const Variant& value) {
  Validate(FieldId(field), &value);
}

void Entry37::InvokeMember(automation::DispId id, InvokeKind kind, std::span<Variant> args,
                           Variant& result) {
  automation::Args a(args);
  if (id == kRecDispId) {
    InvokeRec(kind, args, result);
    return;
  }
  if (kind == InvokeKind::kMethod) {
    switch (id) {
      case kValidateId:
        a.ExpectCount(1, 2);
        Validate(a.Required(0), a.Optional(1));
        return;
      case kIniZbývajícíČástkuId:
        a.ExpectCount(0, 0);
        IniZbývajícíČástku();
        return;
    }
  } else if (kind == InvokeKind::kPropertyPut) {
    a.ExpectCount(1, 1);
    const Variant& value = a.Required(0);
    switch (id) {
      case kField5Id:
        Field5(value.ToInteger());
        return;
      case kField6Id:
        Field6(value.ToString());
        return;
      case kField15Id:
        Field15(value.ToString());
        return;
      case kField17Id:
        Field17(value.ToCurrency());
        return;
      case kField18Id:
        Field18(value.ToCurrency());
        return;
      case kField23Id:
        Field23(value.ToCurrency());
        return;
      case kField26Id:
        Field26(value.ToCurrency());
        return;
      case kField27Id:
        Field27(value.ToCurrency());
        return;
      case kField29Id:
        Field29(value.ToCurrency());
        return;
      case kField30Id:
        Field30(value.ToCurrency());
        return;
      case kField57Id:
        Field57(value.ToCurrency());
        return;
      case kField59Id:
        Field59(value.ToCurrency());
        return;
      case kField90Id:
        Field90(value.ToString());
        return;
      case kField5407Id:
        Field5407(value.ToString());
        return;
      case kField5495Id:
        Field5495(value.ToCurrency());
        return;
    }
  }
  automation::RaiseMemberNotFound();
}

std::span<const automation::MemberName> Entry37::MemberNames() const noexcept {
  static constexpr automation::MemberName kNames[] = {
      {u"Rec", kRecDispId},         {u"Validate", kValidateId},
      {u"Field5", kField5Id},       {u"Field6", kField6Id},
      {u"Field15", kField15Id},     {u"Field17", kField17Id},
      {u"Field18", kField18Id},     {u"Field23", kField23Id},
      {u"Field26", kField26Id},     {u"Field27", kField27Id},
      {u"Field29", kField29Id},     {u"Field30", kField30Id},
      {u"Field57", kField57Id},     {u"Field59", kField59Id},
      {u"Field90", kField90Id},     {u"Field5407", kField5407Id},
      {u"Field5495", kField5495Id}, {u"IniZbývajícíČástku", kIniZbývajícíČástkuId},
  };
  return kNames;
}

}  // namespace talmo
