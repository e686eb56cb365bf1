// `Entry18`: the field rules of the customer table (18).
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "automation/variant.h"
#include "rules/record_rule.h"

namespace talmo {

inline constexpr std::string_view kEntry18Iid = "{FD727E22-829E-45E1-AA22-AC4DD197BE1C}";
inline constexpr std::string_view kEntry18Clsid = "{8715EDF2-AEA2-4C36-B07E-921901CE9E0A}";

class Entry18 final : public RecordRule {
 public:
  static constexpr automation::DispId kValidateId = 0x60030000;

  // Every customer field, the customer number (2) and field 26 included, is a plain
  // assignment to Rec. `id` is a field number or name.
  void Validate(const automation::Variant& id, const automation::Variant& newValue);

  std::u16string ClassName() const override { return u"Entry18"; }

 protected:
  void InvokeMember(automation::DispId id, automation::InvokeKind kind,
                    std::span<automation::Variant> args, automation::Variant& result) override;
  std::span<const automation::MemberName> MemberNames() const noexcept override;
};

}  // namespace talmo
