#include "binding/native_members.h"

#include <exception>

#include "automation/automation_error.h"
#include "binding/client_failure.h"
#include "binding/field_access.h"
#include "error_codes.h"

namespace dbclient::binding {

using automation::Variant;

template <class Result, class Work>
Result NativeMembers::Run(int32_t member, Result failed, Work&& work) noexcept {
  session_.BeginCall(member);
  try {
    return work();
  } catch (const ClientFailure& failure) {
    session_.lastError = failure.status().code();
  } catch (const automation::AutomationError&) {
    session_.lastError = errc::kBadArgument;
  } catch (const std::exception&) {
    // A fault inside the client (out of memory) is the database's error, not the end of
    // the caller's process.
    session_.lastError = errc::kStorageError;
  }
  return failed;
}

void NativeMembers::SetErrorDisplay(bool on) noexcept {
  session_.BeginCall(1);
  session_.errorDisplay = on;
}

int16_t NativeMembers::FieldType(int32_t table, int32_t field) noexcept {
  return Run(29, int16_t{0}, [&] { return FieldTypeCode(session_, table, field); });
}

int16_t NativeMembers::FieldClass(int32_t table, int32_t field) noexcept {
  return Run(34, int16_t{0}, [&] { return FieldClassCode(session_, table, field); });
}

Variant NativeMembers::GetField(int32_t table, int32_t record, int32_t field) noexcept {
  return Run(55, Variant(), [&] { return FieldValue(session_, table, record, field); });
}

void NativeMembers::SetField(int32_t table, int32_t record, int32_t field,
                             const Variant& value) noexcept {
  Run(56, 0, [&] {
    StoreFieldValue(session_, table, record, field, value);
    return 0;
  });
}

double NativeMembers::GetDecimalField(int32_t table, int32_t record, int32_t field) noexcept {
  return Run(83, 0.0, [&] { return DecimalFieldValue(session_, table, record, field); });
}

void NativeMembers::SetDecimalField(int32_t table, int32_t record, int32_t field,
                                    double value) noexcept {
  Run(82, 0, [&] {
    StoreDecimalField(session_, table, record, field, value);
    return 0;
  });
}

}  // namespace dbclient::binding
