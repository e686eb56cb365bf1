#include "binding/native_members.h"

#include <exception>

#include "automation/automation_error.h"
#include "binding/client_failure.h"
#include "binding/field_access.h"
#include "binding/members.h"
#include "binding/table_access.h"
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

template <class Work>
void NativeMembers::RunVoid(int32_t member, Work&& work) noexcept {
  Run(member, 0, [&] {
    work();
    return 0;
  });
}

void NativeMembers::SetErrorDisplay(bool on) noexcept {
  session_.BeginCall(1);
  session_.errorDisplay = on;
}

int32_t NativeMembers::OpenTable(int32_t tableNo) noexcept {
  return Run(47, int32_t{0}, [&] { return OpenTableHandle(session_, tableNo); });
}

void NativeMembers::CloseTable(int32_t table) noexcept {
  RunVoid(13, [&] { session_.CloseTable(table); });
}

int32_t NativeMembers::AllocRecord(int32_t table) noexcept {
  return Run(15, int32_t{0}, [&] { return AllocRecordBuffer(session_, table); });
}

void NativeMembers::FreeRecord(int32_t record) noexcept {
  RunVoid(16, [&] { session_.FreeRecord(record); });
}

void NativeMembers::InitRecord(int32_t table, int32_t record) noexcept {
  RunVoid(25, [&] { InitRecordBuffer(session_, table, record); });
}

void NativeMembers::CopyRecord(int32_t table, int32_t target, int32_t source) noexcept {
  RunVoid(17, [&] { CopyRecordBuffer(session_, table, target, source); });
}

Variant NativeMembers::CurrentKey(int32_t table) noexcept {
  return Run(51, Variant(), [&] { return CurrentKeyFields(session_, table); });
}

void NativeMembers::BeforeKeyLookup() noexcept {
  session_.BeginCall(kBeforeLookupMember);
  session_.quietLookup = true;
}

void NativeMembers::BeforeInsert() noexcept { session_.BeginCall(63); }

bool NativeMembers::Find(int32_t table, int32_t record, std::u16string_view method) noexcept {
  return Run(kFindMember, false, [&] { return FindRecord(session_, table, record, method); });
}

int16_t NativeMembers::Next(int32_t table, int32_t record, int16_t steps) noexcept {
  return Run(20, int16_t{0}, [&] { return StepRecord(session_, table, record, steps); });
}

bool NativeMembers::Insert(int32_t table, int32_t record) noexcept {
  return Run(21, false, [&] { return InsertRecord(session_, table, record); });
}

bool NativeMembers::Modify(int32_t table, int32_t record) noexcept {
  return Run(23, false, [&] {
    ModifyRecord(session_, table, record);
    return true;
  });
}

bool NativeMembers::Delete(int32_t table, int32_t record) noexcept {
  return Run(22, false, [&] {
    DeleteRecord(session_, table, record);
    return true;
  });
}

bool NativeMembers::LookUpByKey(int32_t tableNo, std::span<const Variant> keyValues,
                                int32_t record, std::vector<int32_t>* keyFields) noexcept {
  return Run(47, false, [&] {
    return LookUpRecordByKey(session_, tableNo, keyValues, record, keyFields);
  });
}

void NativeMembers::InitKeepingKey(int32_t tableNo, int32_t table, int32_t record) noexcept {
  RunVoid(47, [&] { InitRecordKeepingKey(session_, tableNo, table, record); });
}

void NativeMembers::CalcField(int32_t table, int32_t record, int32_t field) noexcept {
  RunVoid(59, [&] { CalcFieldValue(session_, table, record, field); });
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
  RunVoid(56, [&] { StoreFieldValue(session_, table, record, field, value); });
}

double NativeMembers::GetDecimalField(int32_t table, int32_t record, int32_t field) noexcept {
  return Run(83, 0.0, [&] { return DecimalFieldValue(session_, table, record, field); });
}

void NativeMembers::SetDecimalField(int32_t table, int32_t record, int32_t field,
                                    double value) noexcept {
  RunVoid(82, [&] { StoreDecimalField(session_, table, record, field, value); });
}

}  // namespace dbclient::binding
