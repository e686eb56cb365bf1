// Helpers shared by the source files of `Table`; not part of its interface.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "automation/dispatch.h"
#include "automation/variant.h"
#include "session/client_members.h"

namespace talmo::table_internal {

// Field class of a field whose value the client calculates (member 59).
inline constexpr int16_t kCalculatedFieldClass = 1;

// The client's code of "record already exists" (key 19.1009), raised by a refused Insert().
inline constexpr int32_t kRecordExistsCode = 19 * 65536 + 1009;

// A line break in the component's messages.
inline constexpr std::u16string_view kLineBreak = u"\r\n";

// Adds one to an operation counter; at 2147483647 it raises 6 and leaves it unchanged.
void CountOperation(int32_t& counter);

// The text form of a value inside a message, as concatenation gives it: Null adds nothing.
std::u16string MessageText(const automation::Variant& value);

// True when an optional argument was given: not null and not Variant::Missing().
inline bool IsGiven(const automation::Variant* argument) noexcept {
  return argument != nullptr && !argument->IsMissing();
}

// A handle as the client receives it by reference: a Long Variant the callee may write.
class HandleArg {
 public:
  explicit HandleArg(int32_t handle) noexcept : value_(handle) {}
  automation::Variant ByRef() noexcept { return automation::Variant::ByRef(&value_); }
  // The handle after the call; raises 13 when the client wrote something that is no number.
  int32_t Value() const { return value_.ToLong(); }

 private:
  automation::Variant value_;
};

// Frees `handle` (0: nothing) with `freeMember` (13 table, 16 record buffer, 81 decimal
// value) without an error check and without raising: the cleanup of an operation that an
// error has already ended.
void FreeUnchecked(automation::DispId freeMember, int32_t handle) noexcept;

// A handle that one operation makes for itself: a scratch table, a record buffer or a decimal
// work value. The operation frees it with its own checked call and then calls Freed(); when
// an error ends the operation first, the destructor frees it unchecked, so a failing
// operation leaves no handle behind and the error it raises stays the one reported.
class ScratchHandle {
 public:
  // `freeMember`: the client member that frees this kind of handle (13, 16 or 81).
  explicit ScratchHandle(automation::DispId freeMember) noexcept : freeMember_(freeMember) {}
  ~ScratchHandle() { FreeUnchecked(freeMember_, handle_); }
  ScratchHandle(const ScratchHandle&) = delete;
  ScratchHandle& operator=(const ScratchHandle&) = delete;

  // Where the operation stores the handle once the client has made it (0 until then).
  int32_t& value() noexcept { return handle_; }
  // The operation has freed the handle, or handed it to a longer-lived owner.
  void Freed() noexcept { handle_ = 0; }

 private:
  automation::DispId freeMember_;
  int32_t handle_ = 0;
};

// The field calls of a record buffer, each checked (Call): on a client with the native
// interface one typed call each, otherwise the members that carry them late bound.
int16_t FieldTypeCall(int32_t table, int32_t field);   // 29
int16_t FieldClassCall(int32_t table, int32_t field);  // 34
automation::Variant GetFieldCall(int32_t table, int32_t record, int32_t field);  // 55
void SetFieldCall(int32_t table, int32_t record, int32_t field,
                  const automation::Variant& value);  // 56
// A Decimal field through a work value: 80, 83, 88, 81.
double GetDecimalCall(int32_t table, int32_t record, int32_t field);
// `value` converted to a double (13 before anything is stored) into a Decimal field through a
// work value: 80, 89, 82, 81.
void SetDecimalCall(int32_t table, int32_t record, int32_t field,
                    const automation::Variant& value);

// Opens a table handle on `tableNo` with member 47 (both arguments by reference) and stores
// the handle the client wrote into `handle`, also when the error check then raises.
void OpenTableHandle(int32_t& handle, int32_t tableNo);

}  // namespace talmo::table_internal
