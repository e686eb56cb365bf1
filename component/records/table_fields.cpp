// `Table.Field`: reading and writing one field of the record buffer. Decimals travel as
// doubles (through a decimal work value of a late-bound client); every other type passes
// unchanged.
#include "automation/automation_error.h"
#include "records/table.h"
#include "records/table_errors.h"
#include "records/table_internal.h"
#include "session/db_client.h"

namespace talmo {

using automation::Variant;
using table_internal::HandleArg;
namespace client = client_member;

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

Table::KnownField& Table::KnownSlot(int32_t field) {
  if (knownFieldsTable_ != cfHTable_) {
    knownFields_.fill({});
    knownFieldsTable_ = cfHTable_;
  }
  KnownField& known = knownFields_[static_cast<uint32_t>(field) % knownFields_.size()];
  if (known.field != field) known = {field};
  return known;
}

int16_t Table::TypeOfField(int32_t field) {
  if (NativeDbClient() == nullptr) return table_internal::FieldTypeCall(cfHTable_, field);
  KnownField& known = KnownSlot(field);
  if (known.type < 0) known.type = table_internal::FieldTypeCall(cfHTable_, field);
  return known.type;
}

int16_t Table::ClassOfField(int32_t field) {
  if (NativeDbClient() == nullptr) return table_internal::FieldClassCall(cfHTable_, field);
  KnownField& known = KnownSlot(field);
  if (known.fieldClass < 0) known.fieldClass = table_internal::FieldClassCall(cfHTable_, field);
  return known.fieldClass;
}

Variant Table::Field(const Variant& id) {
  const int32_t field = FieldNo(id);
  GuardOn();
  if (autoCalcFields_) CalcIfFlowField(field);
  // The native client answers every field type it has, decimals as doubles: the value the
  // type switch of the late-bound path gives.
  Variant value = NativeDbClient() != nullptr
                      ? table_internal::GetFieldCall(cfHTable_, cfHRec_, field)
                      : FieldByType(field);
  GuardOff();
  table_internal::CountOperation(tmpCountFieldGet_);
  return value;
}

void Table::CalcIfFlowField(int32_t field) {
  if (FieldClass(Variant(field)) != table_internal::kCalculatedFieldClass) return;
  HandleArg table(cfHTable_);
  HandleArg record(cfHRec_);
  Variant fieldArg(field);
  Call(client::kCalcField, table.ByRef(), record.ByRef(), Variant::ByRef(&fieldArg));
}

Variant Table::FieldByType(int32_t field) {
  const int16_t type = TypeOfField(field);
  if (PassesUnchanged(type)) return table_internal::GetFieldCall(cfHTable_, cfHRec_, field);
  if (type == ftDecimal) return Variant(table_internal::GetDecimalCall(cfHTable_, cfHRec_, field));
  table_errors::RaiseUnknownFieldType(type);
}

void Table::SetField(const Variant& id, const Variant& value) {
  const int32_t field = FieldNo(id);
  GuardOn();
  const int16_t type = TypeOfField(field);
  if (PassesUnchanged(type)) {
    table_internal::SetFieldCall(cfHTable_, cfHRec_, field, value);
  } else if (type == ftDecimal) {
    table_internal::SetDecimalCall(cfHTable_, cfHRec_, field, value);
  } else {
    table_errors::RaiseUnknownFieldType(type);
  }
  GuardOff();
  table_internal::CountOperation(tmpCountFieldLet_);
}

}  // namespace talmo
