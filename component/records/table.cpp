// `Table`: construction, release, binding, the record buffer, field numbers and metadata.
#include "records/table.h"

#include <limits>
#include <utility>

#include "automation/automation_error.h"
#include "records/table_errors.h"
#include "records/table_internal.h"
#include "rules/entry_link.h"
#include "session/db_client.h"

namespace talmo {

using automation::Ref;
using automation::Variant;
using table_internal::HandleArg;
using table_internal::ScratchHandle;
namespace client = client_member;

namespace table_internal {

void CountOperation(int32_t& counter) {
  if (counter == std::numeric_limits<int32_t>::max()) {
    automation::RaiseStandard(automation::error::kOverflow);
  }
  ++counter;
}

std::u16string MessageText(const Variant& value) {
  return automation::Concat(Variant(u""), value).ToString();
}

void OpenTableHandle(int32_t& handle, int32_t tableNo) {
  HandleArg table(handle);
  Variant number(tableNo);
  try {
    Call(client::kOpenTable, table.ByRef(), Variant::ByRef(&number));
  } catch (const automation::AutomationError&) {
    handle = table.Value();
    throw;
  }
  handle = table.Value();
}

void FreeUnchecked(automation::DispId freeMember, int32_t handle) noexcept {
  if (handle == 0) return;
  try {
    CallUnchecked(freeMember, handle);
  } catch (const automation::AutomationError&) {
    // Already gone, or no client left to ask: nothing more can be freed.
  }
}

}  // namespace table_internal

Table::Table() = default;

Table::~Table() {
  if (entryProcess_) {
    // The rule object's back link goes first, so that it never refers to a dead table.
    try {
      automation::PutPropertyRef(entryProcess_.get(),
                                 automation::GetDispId(entryProcess_.get(), u"Rec"), nullptr);
    } catch (const automation::AutomationError&) {
      // A rule object without a settable "Rec" keeps no link to clear.
    }
    entryProcess_.reset();
  }
  if (IsConnected()) ReleaseHandles();
}

void Table::ReleaseHandles() noexcept {
  try {
    GuardOn();
    if (cfHRec_ != 0) {
      HandleArg record(cfHRec_);
      Call(client::kFreeRecord, record.ByRef());
    }
    if (cfHTable_ != 0) Call(client::kCloseTable, Variant(cfHTable_));
    GuardOff();
  } catch (const automation::AutomationError&) {
    // Nobody is left to receive the error of a release. A buffer that could not be freed (a
    // client may have overwritten cfHRec) must not keep the table handle open.
    table_internal::FreeUnchecked(client::kCloseTable, cfHTable_);
  }
}

void Table::SetEntryProcess(Ref<automation::Dispatch> rules) noexcept {
  if (rules == entryProcess_) return;
  Ref<automation::Dispatch> old = std::exchange(entryProcess_, std::move(rules));
  // Rule objects of our own keep a back link to the table that holds them; tell them who
  // holds them now, so that the link owns the table exactly when nothing else ties them.
  if (auto* link = dynamic_cast<EntryLink*>(old.get())) link->DroppedBy(this);
  if (auto* link = dynamic_cast<EntryLink*>(entryProcess_.get())) link->HeldBy(this);
  old.reset();
}

void Table::Alloc(int32_t id) {
  tableNo_ = id;
  GuardOn();
  table_internal::OpenTableHandle(cfHTable_, tableNo_);
  HandleArg table(cfHTable_);
  cfHRec_ = Call(client::kAllocRecord, table.ByRef()).ToLong();
  HandleArg record(cfHRec_);
  Call(client::kInitRecord, table.ByRef(), record.ByRef());
  GuardOff();
}

void Table::Init() {
  GuardOn();
  if (dbclient::NativeClient* native = NativeDbClient()) {
    native->InitKeepingKey(tableNo_, cfHTable_, cfHRec_);
    CheckLastError({});
    GuardOff();
    return;
  }
  ScratchHandle scratchTable(client::kCloseTable);
  table_internal::OpenTableHandle(scratchTable.value(), tableNo_);
  HandleArg scratch(scratchTable.value());
  ScratchHandle scratchBuffer(client::kFreeRecord);
  scratchBuffer.value() = Call(client::kAllocRecord, scratch.ByRef()).ToLong();
  HandleArg scratchRecord(scratchBuffer.value());
  HandleArg table(cfHTable_);
  HandleArg record(cfHRec_);
  Call(client::kCopyRecord, scratch.ByRef(), scratchRecord.ByRef(), record.ByRef());
  // A freshly opened handle reports the primary key.
  const Variant primaryKey = Call(client::kGetKey, scratch.ByRef());
  Call(client::kInitRecord, table.ByRef(), record.ByRef());
  const automation::VariantArray& keyFields = primaryKey.ToArray();
  for (int32_t i = 0; i <= keyFields.UBound(); ++i) {
    const Variant field(keyFields.at(i).ToLong());
    Variant value = Call(client::kGetField, scratch.ByRef(), scratchRecord.ByRef(), field);
    Call(client::kSetField, table.ByRef(), record.ByRef(), field, Variant::ByRef(&value));
  }
  Call(client::kFreeRecord, scratchRecord.ByRef());
  scratchBuffer.Freed();
  Call(client::kCloseTable, scratch.ByRef());
  scratchTable.Freed();
  GuardOff();
}

void Table::Reset() {
  GuardOn();
  HandleArg table(cfHTable_);
  ScratchHandle newBuffer(client::kFreeRecord);
  newBuffer.value() = Call(client::kAllocRecord, table.ByRef()).ToLong();
  HandleArg copy(newBuffer.value());
  HandleArg record(cfHRec_);
  Call(client::kCopyRecord, table.ByRef(), copy.ByRef(), record.ByRef());
  Call(client::kFreeRecord, record.ByRef());
  cfHRec_ = copy.Value();
  newBuffer.Freed();  // the object's buffer from now on
  GuardOff();
}

int32_t Table::FieldNoOfName(const Variant& fieldVariant) {
  if (fieldVariant.type() != automation::VarType::kString) table_errors::RaiseBadFieldId();
  GuardOn();
  HandleArg table(cfHTable_);
  const int32_t number =
      Call(client::kFieldNumber, table.ByRef(), Variant(fieldVariant.ToString())).ToLong();
  GuardOff();
  return number;
}

std::u16string Table::Name() {
  GuardOn();
  HandleArg table(cfHTable_);
  std::u16string name = Call(client::kTableName, table.ByRef()).ToString();
  GuardOff();
  return name;
}

namespace {

// One metadata call, member(cfHTable, field number), under its own guard; the result is
// converted before the guard goes off, as an assignment of the call's result would do.
template <class Convert>
auto FieldMetadata(int32_t tableHandle, automation::DispId what, int32_t field, Convert convert) {
  GuardOn();
  HandleArg table(tableHandle);
  auto result = convert(Call(what, table.ByRef(), Variant(field)));
  GuardOff();
  return result;
}

std::u16string AsString(const Variant& v) { return v.ToString(); }
int16_t AsInteger(const Variant& v) { return v.ToInteger(); }

}  // namespace

std::u16string Table::FieldName(const Variant& id) {
  const int32_t field = FieldNo(id);
  return FieldMetadata(cfHTable_, client::kFieldName, field, AsString);
}

int16_t Table::FieldType(const Variant& id) {
  const int32_t field = FieldNo(id);
  GuardOn();
  const int16_t type = TypeOfField(field);
  GuardOff();
  return type;
}

int16_t Table::FieldClass(const Variant& id) {
  const int32_t field = FieldNo(id);
  GuardOn();
  const int16_t fieldClass = ClassOfField(field);
  GuardOff();
  return fieldClass;
}

int16_t Table::FieldLen(const Variant& id) {
  const int32_t field = FieldNo(id);
  return FieldMetadata(cfHTable_, client::kFieldLength, field, AsInteger);
}

std::u16string Table::FieldOptionStr(const Variant& id) {
  const int32_t field = FieldNo(id);
  return FieldMetadata(cfHTable_, client::kFieldOptionString, field, AsString);
}

}  // namespace talmo
