#include "binding/call_args.h"

#include <string>

#include "automation/automation_error.h"
#include "binding/client_failure.h"
#include "error_codes.h"

namespace dbclient::binding {
namespace {

[[noreturn]] void BadArgument(size_t i, const char* why) {
  Fail(errc::kBadArgument, "argument " + std::to_string(i + 1) + ": " + why);
}

// Runs one coercion of the automation layer, turning its error into the client's.
template <class F>
auto Convert(size_t i, F&& coerce) {
  try {
    return coerce();
  } catch (const automation::AutomationError& e) {
    BadArgument(i, e.what());
  }
}

}  // namespace

const automation::Variant& CallArgs::Value(size_t i) const {
  if (i >= args_.size() || args_[i].IsMissing()) BadArgument(i, "missing");
  return args_[i].Deref();
}

const automation::Variant* CallArgs::Optional(size_t i) const noexcept {
  if (i >= args_.size() || args_[i].IsMissing()) return nullptr;
  return &args_[i].Deref();
}

int32_t CallArgs::Long(size_t i) const {
  const automation::Variant& v = Value(i);
  if (v.type() == automation::VarType::kLong || v.type() == automation::VarType::kInteger) {
    return v.ToLong();  // the common case: no conversion that could fail
  }
  return Convert(i, [&] { return v.ToLong(); });
}

int16_t CallArgs::Integer(size_t i) const {
  const automation::Variant& v = Value(i);
  return Convert(i, [&] { return v.ToInteger(); });
}

bool CallArgs::Boolean(size_t i) const {
  const automation::Variant& v = Value(i);
  return Convert(i, [&] { return v.ToBoolean(); });
}

double CallArgs::Double(size_t i) const {
  const automation::Variant& v = Value(i);
  return Convert(i, [&] { return v.ToDouble(); });
}

std::u16string CallArgs::String(size_t i) const {
  const automation::Variant& v = Value(i);
  return Convert(i, [&] { return v.ToString(); });
}

void CallArgs::Store(size_t i, automation::Variant value) const {
  if (i >= args_.size()) BadArgument(i, "missing");
  args_[i].Assign(std::move(value));
}

}  // namespace dbclient::binding
