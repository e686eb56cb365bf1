// The field calls of Table on both paths to the client: typed native calls, or the late-bound
// members with their handles passed by reference and decimals through a work value.
#include "records/table_internal.h"
#include "session/db_client.h"

namespace talmo::table_internal {

using automation::Variant;
namespace client = client_member;

int16_t FieldTypeCall(int32_t table, int32_t field) {
  if (dbclient::NativeClient* native = NativeDbClient()) {
    const int16_t type = native->FieldType(table, field);
    CheckLastError({});
    return type;
  }
  HandleArg tableArg(table);
  return Call(client::kFieldType, tableArg.ByRef(), Variant(field)).ToInteger();
}

int16_t FieldClassCall(int32_t table, int32_t field) {
  if (dbclient::NativeClient* native = NativeDbClient()) {
    const int16_t fieldClass = native->FieldClass(table, field);
    CheckLastError({});
    return fieldClass;
  }
  HandleArg tableArg(table);
  return Call(client::kFieldClass, tableArg.ByRef(), Variant(field)).ToInteger();
}

Variant GetFieldCall(int32_t table, int32_t record, int32_t field) {
  if (dbclient::NativeClient* native = NativeDbClient()) {
    Variant value = native->GetField(table, record, field);
    CheckLastError({});
    return value;
  }
  HandleArg tableArg(table);
  HandleArg recordArg(record);
  return Call(client::kGetField, tableArg.ByRef(), recordArg.ByRef(), Variant(field));
}

void SetFieldCall(int32_t table, int32_t record, int32_t field, const Variant& value) {
  if (dbclient::NativeClient* native = NativeDbClient()) {
    native->SetField(table, record, field, value.Deref());
    CheckLastError({});
    return;
  }
  HandleArg tableArg(table);
  HandleArg recordArg(record);
  Call(client::kSetField, tableArg.ByRef(), recordArg.ByRef(), Variant(field), value.Deref());
}

double GetDecimalCall(int32_t table, int32_t record, int32_t field) {
  if (dbclient::NativeClient* native = NativeDbClient()) {
    const double value = native->GetDecimalField(table, record, field);
    CheckLastError({});
    return value;
  }
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

void SetDecimalCall(int32_t table, int32_t record, int32_t field, const Variant& value) {
  if (dbclient::NativeClient* native = NativeDbClient()) {
    native->SetDecimalField(table, record, field, value.ToDouble());
    CheckLastError({});
    return;
  }
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

}  // namespace talmo::table_internal
