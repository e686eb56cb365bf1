// The field calls of Table on both paths to the client: typed native calls, or the late-bound
// members with their handles passed by reference and decimals through a work value.
#include "records/table_internal.h"
#include "session/db_client.h"

namespace talmo::table_internal {

using automation::Variant;
namespace client = client_member;

namespace {

// The late-bound forms, out of line: the native ones are the hot path and stay small.

[[gnu::noinline]] int16_t LateFieldInfo(automation::DispId member, int32_t table, int32_t field) {
  HandleArg tableArg(table);
  return Call(member, tableArg.ByRef(), Variant(field)).ToInteger();
}

[[gnu::noinline]] Variant LateGetField(int32_t table, int32_t record, int32_t field) {
  HandleArg tableArg(table);
  HandleArg recordArg(record);
  return Call(client::kGetField, tableArg.ByRef(), recordArg.ByRef(), Variant(field));
}

[[gnu::noinline]] void LateSetField(int32_t table, int32_t record, int32_t field,
                                    const Variant& value) {
  HandleArg tableArg(table);
  HandleArg recordArg(record);
  Call(client::kSetField, tableArg.ByRef(), recordArg.ByRef(), Variant(field), value.Deref());
}

[[gnu::noinline]] double LateGetDecimal(int32_t table, int32_t record, int32_t field) {
  HandleArg tableArg(table);
  HandleArg recordArg(record);
  ScratchHandle workValue(client::kFreeDecimal);
  workValue.value() = Call(client::kAllocDecimal).ToLong();
  const Variant work(workValue.value());
  Call(client::kLoadDecimal, tableArg.ByRef(), recordArg.ByRef(), Variant(field), work);
  const double value = Call(client::kDecimalValue, work).ToDouble();
  Call(client::kFreeDecimal, work);
  workValue.Freed();
  return value;
}

[[gnu::noinline]] void LateSetDecimal(int32_t table, int32_t record, int32_t field,
                                      const Variant& value) {
  HandleArg tableArg(table);
  HandleArg recordArg(record);
  ScratchHandle workValue(client::kFreeDecimal);
  workValue.value() = Call(client::kAllocDecimal).ToLong();
  const Variant work(workValue.value());
  const double number = value.ToDouble();
  Call(client::kSetDecimal, Variant(number), work);
  Call(client::kStoreDecimal, tableArg.ByRef(), recordArg.ByRef(), Variant(field), work);
  Call(client::kFreeDecimal, work);
  workValue.Freed();
}

}  // namespace

int16_t FieldTypeCall(int32_t table, int32_t field) {
  if (dbclient::NativeClient* native = NativeDbClient()) {
    const int16_t type = native->FieldType(table, field);
    CheckLastError({});
    return type;
  }
  return LateFieldInfo(client::kFieldType, table, field);
}

int16_t FieldClassCall(int32_t table, int32_t field) {
  if (dbclient::NativeClient* native = NativeDbClient()) {
    const int16_t fieldClass = native->FieldClass(table, field);
    CheckLastError({});
    return fieldClass;
  }
  return LateFieldInfo(client::kFieldClass, table, field);
}

Variant GetFieldCall(int32_t table, int32_t record, int32_t field) {
  if (dbclient::NativeClient* native = NativeDbClient()) {
    Variant value = native->GetField(table, record, field);
    CheckLastError({});
    return value;
  }
  return LateGetField(table, record, field);
}

void SetFieldCall(int32_t table, int32_t record, int32_t field, const Variant& value) {
  if (dbclient::NativeClient* native = NativeDbClient()) {
    native->SetField(table, record, field, value.Deref());
    CheckLastError({});
    return;
  }
  LateSetField(table, record, field, value);
}

double GetDecimalCall(int32_t table, int32_t record, int32_t field) {
  if (dbclient::NativeClient* native = NativeDbClient()) {
    const double value = native->GetDecimalField(table, record, field);
    CheckLastError({});
    return value;
  }
  return LateGetDecimal(table, record, field);
}

void SetDecimalCall(int32_t table, int32_t record, int32_t field, const Variant& value) {
  if (dbclient::NativeClient* native = NativeDbClient()) {
    native->SetDecimalField(table, record, field, value.ToDouble());
    CheckLastError({});
    return;
  }
  LateSetDecimal(table, record, field, value);
}

}  // namespace talmo::table_internal
