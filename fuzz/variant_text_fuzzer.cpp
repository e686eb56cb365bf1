// The Variant coercions of text to numbers, dates and booleans. Any text converts or fails with
// type mismatch (13) or overflow (6), nothing else; what converts keeps its value through its
// own text form: Long and Currency exactly, Double to 15 significant digits (the text of a
// Double within 5E-15 of the largest one is beyond the range, as on the platform), Date to
// the second.
//
// Input: the first byte picks whether the rest is UTF-8 (bit 0 clear) or UTF-16 code units.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "automation/automation_error.h"
#include "automation/text.h"
#include "automation/variant.h"

namespace {

using automation::Variant;
using automation::VarType;

[[noreturn]] void Fail(const char* what, const std::u16string& text) {
  std::fprintf(stderr, "%s: \"%s\"\n", what, automation::ToUtf8(text).c_str());
  std::abort();
}

// The text converted to `type`; nothing when the conversion fails as it may.
std::optional<Variant> Convert(const std::u16string& text, VarType type) {
  try {
    return Variant(text).ChangeType(type);
  } catch (const automation::AutomationError& error) {
    if (error.number() != automation::error::kTypeMismatch &&
        error.number() != automation::error::kOverflow) {
      Fail(error.what(), text);
    }
    return std::nullopt;
  }
}

// The value converted to text and back to its own type; nothing when that fails.
std::optional<Variant> RoundTrip(const Variant& value) {
  return Convert(value.ToString(), value.type());
}

// The value converted to text and back, which must succeed.
Variant MustRoundTrip(const Variant& value, const std::u16string& original) {
  std::optional<Variant> back = RoundTrip(value);
  if (!back) Fail("the text form does not convert back", original + u" -> " + value.ToString());
  return *back;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  std::u16string text;
  if ((data[0] & 1) == 0) {
    text =
        automation::FromUtf8(std::string_view(reinterpret_cast<const char*>(data + 1), size - 1));
  } else {
    for (size_t i = 1; i + 1 < size; i += 2)
      text.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));
  }
  for (VarType type : {VarType::kInteger, VarType::kByte, VarType::kSingle, VarType::kBoolean}) {
    Convert(text, type);
  }
  if (const std::optional<Variant> value = Convert(text, VarType::kLong)) {
    if (MustRoundTrip(*value, text).ToLong() != value->ToLong()) Fail("Long changes", text);
  }
  if (const std::optional<Variant> value = Convert(text, VarType::kCurrency)) {
    if (!(MustRoundTrip(*value, text).ToCurrency() == value->ToCurrency())) {
      Fail("Currency changes", text);
    }
  }
  if (const std::optional<Variant> value = Convert(text, VarType::kDouble)) {
    const double before = value->ToDouble();
    constexpr double kLargestWithText = 1.79769313486231e308;
    const std::optional<Variant> back =
        std::fabs(before) <= kLargestWithText ? MustRoundTrip(*value, text) : RoundTrip(*value);
    if (back && std::fabs(back->ToDouble() - before) > 1e-14 * std::fabs(before)) {
      Fail("Double changes", text);
    }
  }
  if (const std::optional<Variant> value = Convert(text, VarType::kDate)) {
    const double before = value->ToDate();
    const double after = MustRoundTrip(*value, text).ToDate();
    if (std::fabs(after - before) > 0.5 / 86400 + 1e-9) Fail("Date changes", text);
  }
  return 0;
}
