// `Entry36`: the field rules of the sales header table (36).
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "automation/variant.h"
#include "rules/record_rule.h"

namespace talmo {

inline constexpr std::string_view kEntry36Iid = "{92FA4C31-3588-439E-82A5-02B2CEB36A40}";
inline constexpr std::string_view kEntry36Clsid = "{D9043F4B-13D4-43EC-9CAB-C758D733834C}";

class Entry36 final : public RecordRule {
 public:
  static constexpr automation::DispId kValidateId = 0x60030001;
  static constexpr automation::DispId kField2Id = 0x68030000;

  // Field 2 runs Field2 with the value as a String (13 when it does not convert); every
  // other field is a plain assignment. `id` is a field number or name.
  void Validate(const automation::Variant& id, const automation::Variant& newValue);

  // The customer of the document: sets field 2, then (unless it is "") reads customer
  // `customerNo`, which must not be blocked (39) and must have field 88 filled, copies the
  // customer's address and posting data into the header, sets the bill-to customer (4) and
  // empties field 12. An error leaves the fields assigned before it.
  void Field2(std::u16string_view customerNo);

  std::u16string ClassName() const override { return u"Entry36"; }

 protected:
  void InvokeMember(automation::DispId id, automation::InvokeKind kind,
                    std::span<automation::Variant> args, automation::Variant& result) override;
  std::span<const automation::MemberName> MemberNames() const noexcept override;
};

}  // namespace talmo
