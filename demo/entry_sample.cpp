#include "entry_sample.h"

#include "late_object.h"

namespace talmo_demo {
namespace {

constexpr automation::MemberName kMemberNames[] = {
    {u"Rec", EntrySample::kRecId},
    {u"Validate", EntrySample::kValidateId},
};

}  // namespace

void EntrySample::Validate(const automation::Variant& id, const automation::Variant& newValue) {
  LateObject rec(rec_);
  const automation::Variant field = rec.Call(u"FieldNo", id);
  rec.Put(u"Field", field, newValue);
}

std::span<const automation::MemberName> EntrySample::MemberNames() const noexcept {
  return kMemberNames;
}

void EntrySample::InvokeMember(automation::DispId id, automation::InvokeKind kind,
                               std::span<automation::Variant> argv, automation::Variant& result) {
  using automation::InvokeKind;
  const automation::Args args(argv);
  switch (id) {
    case kRecId:
      if (kind == InvokeKind::kPropertyGet) {
        args.ExpectCount(0, 0);
        result = automation::Variant(rec_);
      } else if (kind == InvokeKind::kPropertyPutRef || kind == InvokeKind::kPropertyPut) {
        args.ExpectCount(1, 1);
        rec_ = args.Required(0).ToObject();
      } else {
        automation::RaiseMemberNotFound();
      }
      return;
    case kValidateId:
      if (kind != InvokeKind::kMethod) automation::RaiseMemberNotFound();
      args.ExpectCount(2, 2);
      Validate(args.Required(0), args.Required(1));
      return;
    default:
      automation::RaiseMemberNotFound();
  }
}

}  // namespace talmo_demo
