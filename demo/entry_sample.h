// `EntrySample`: the smallest record-rule object a Table can carry as its EntryProcess.
// Validation of that table becomes a plain assignment of the field. The demo attaches it
// nowhere; it shows what a client's own rule object must provide ("Rec" and "Validate").
#pragma once

#include <span>
#include <utility>

#include "automation/dispatch.h"
#include "automation/ref.h"
#include "automation/variant.h"

namespace talmo_demo {

class EntrySample final : public automation::DispatchObject {
 public:
  // Dispatch ids of the interface.
  static constexpr automation::DispId kRecId = 1;
  static constexpr automation::DispId kValidateId = 2;

  // The Table whose field rules this object supplies; may be Nothing.
  const automation::Ref<automation::Dispatch>& Rec() const noexcept { return rec_; }
  void SetRec(automation::Ref<automation::Dispatch> table) noexcept { rec_ = std::move(table); }

  // Assigns `newValue` to the field `id` (a number or a name) of Rec. Raises 91 when Rec is
  // Nothing, or the table's own error.
  void Validate(const automation::Variant& id, const automation::Variant& newValue);

  std::u16string ClassName() const override { return u"EntrySample"; }

 protected:
  void InvokeMember(automation::DispId id, automation::InvokeKind kind,
                    std::span<automation::Variant> args, automation::Variant& result) override;
  std::span<const automation::MemberName> MemberNames() const noexcept override;

 private:
  automation::Ref<automation::Dispatch> rec_;
};

}  // namespace talmo_demo
