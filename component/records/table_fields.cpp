// `Table.Field`: reading and writing one field of the record buffer. Decimals travel as
// doubles through a decimal work handle of the client; every other type passes unchanged.
#include "automation/automation_error.h"
#include "records/table.h"
#include "records/table_errors.h"
#include "records/table_internal.h"
#include "session/db_client.h"

namespace talmo {

using automation::Variant;
using table_internal::HandleArg;
using table_internal::ScratchHandle;
namespace client = table_internal::member;

namespace {

// The types whose values the client hands over and takes as they are.
bool PassesUnchanged(int16_t type) {
  switch (type) {
    case ftText:
    case ftCode:
    case ftBoolean:
    case ftBLOB:
    case ftDate:
    case ftTime:
    case ftInteger:
    case ftOption:
      return true;
    default:
      return false;
  }
}

}  // namespace

Variant Table::Field(const Variant& id) {
  const int32_t field = FieldNo(id);
  GuardOn();
  HandleArg table(cfHTable_);
  HandleArg record(cfHRec_);
  if (autoCalcFields_ && FieldClass(Variant(field)) == table_internal::kCalculatedFieldClass) {
    Variant fieldArg(field);
    Call(client::kCalcField, table.ByRef(), record.ByRef(), Variant::ByRef(&fieldArg));
  }
  const int16_t type = Call(client::kFieldType, table.ByRef(), Variant(field)).ToInteger();
  Variant value;
  if (PassesUnchanged(type)) {
    value = Call(client::kGetField, table.ByRef(), record.ByRef(), Variant(field));
  } else if (type == ftDecimal) {
    ScratchHandle workValue(client::kFreeDecimal);
    workValue.value() = Call(client::kAllocDecimal).ToLong();
    const Variant work(workValue.value());
    Call(client::kLoadDecimal, table.ByRef(), record.ByRef(), Variant(field), work);
    value = Variant(Call(client::kDecimalValue, work).ToDouble());
    Call(client::kFreeDecimal, work);
    workValue.Freed();
  } else {
    table_errors::RaiseUnknownFieldType(type);
  }
  GuardOff();
  table_internal::CountOperation(tmpCountFieldGet_);
  return value;
}

void Table::SetField(const Variant& id, const Variant& value) {
  const int32_t field = FieldNo(id);
  GuardOn();
  HandleArg table(cfHTable_);
  HandleArg record(cfHRec_);
  const int16_t type = Call(client::kFieldType, table.ByRef(), Variant(field)).ToInteger();
  if (PassesUnchanged(type)) {
    Call(client::kSetField, table.ByRef(), record.ByRef(), Variant(field), value.Deref());
  } else if (type == ftDecimal) {
    ScratchHandle workValue(client::kFreeDecimal);
    workValue.value() = Call(client::kAllocDecimal).ToLong();
    const Variant work(workValue.value());
    const double number = value.ToDouble();  // 13 before anything is stored
    Call(client::kSetDecimal, Variant(number), work);
    Call(client::kStoreDecimal, table.ByRef(), record.ByRef(), Variant(field), work);
    Call(client::kFreeDecimal, work);
    workValue.Freed();
  } else {
    table_errors::RaiseUnknownFieldType(type);
  }
  GuardOff();
  table_internal::CountOperation(tmpCountFieldLet_);
}

}  // namespace talmo
