#include "rules/entry18.h"

#include "records/table.h"

namespace talmo {

using automation::InvokeKind;
using automation::Variant;

void Entry18::Validate(const Variant& id, const Variant& newValue) {
  Table& rec = RecTable();
  // The customer number (2), field 26 and every other field: a plain assignment.
  rec.SetField(FieldId(rec.FieldNo(id)), newValue);
}

void Entry18::InvokeMember(automation::DispId id, InvokeKind kind, std::span<Variant> args,
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
  }
  automation::RaiseMemberNotFound();
}

std::span<const automation::MemberName> Entry18::MemberNames() const noexcept {
  static constexpr automation::MemberName kNames[] = {
      {u"Rec", kRecDispId},
      {u"Validate", kValidateId},
  };
  return kNames;
}

}  // namespace talmo
