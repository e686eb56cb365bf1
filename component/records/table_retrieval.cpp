// `Table`: key lookups, searching and stepping, ranges, filters, keys, count and locking.
#include <string>
#include <vector>

#include "automation/automation_error.h"
#include "records/table.h"
#include "records/table_errors.h"
#include "records/table_internal.h"
#include "session/db_client.h"

namespace talmo {

using automation::Variant;
using table_internal::HandleArg;
using table_internal::ScratchHandle;
namespace client = client_member;

namespace {

// One "name = value" line of the not-found message.
void AppendKeyLine(std::u16string* keyText, std::u16string_view fieldName, const Variant& value) {
  *keyText += fieldName;
  *keyText += u" = ";
  *keyText += table_internal::MessageText(value);
  *keyText += table_internal::kLineBreak;
}

}  // namespace

// The lookup shared by GetRec and GetRecT. Works on a temporary table handle and buffer so
// that the key, filters and position of cfHTable stay as they are; only a found record is
// copied into cfHRec. When `keyText` is given, one "name = value" line per key value is
// appended to it for the not-found message.
bool Table::LookUpByKey(std::span<const Variant> fieldData, std::u16string* keyText) {
  if (dbclient::NativeClient* native = NativeDbClient()) {
    return LookUpByKeyNative(*native, fieldData, keyText);
  }
  GuardOn();
  ScratchHandle lookupTable(client::kCloseTable);
  table_internal::OpenTableHandle(lookupTable.value(), tableNo_);
  HandleArg table(lookupTable.value());
  ScratchHandle lookupBuffer(client::kFreeRecord);
  lookupBuffer.value() = Call(client::kAllocRecord, table.ByRef()).ToLong();
  HandleArg record(lookupBuffer.value());
  Call(client::kInitRecord, table.ByRef(), record.ByRef());
  // A freshly opened handle reports the primary key.
  const Variant primaryKey = Call(client::kGetKey, table.ByRef());
  const automation::VariantArray& keyFields = primaryKey.ToArray();
  for (size_t i = 0; i < fieldData.size(); ++i) {
    const Variant& keyField = keyFields.at(static_cast<int32_t>(i));  // 9 past the last one
    if (keyText != nullptr) AppendKeyLine(keyText, FieldName(keyField), fieldData[i]);
    Variant value = fieldData[i].Deref();
    Call(client::kSetField, table.ByRef(), record.ByRef(), Variant(keyField.ToLong()),
         Variant::ByRef(&value));
  }
  CallUnchecked(client::kBeforeKeyLookup);  // no error check follows
  const bool found =
      Call(client::kFind, table.ByRef(), record.ByRef(), Variant(u"=")).ToLong() == -1;
  if (found) {
    HandleArg ownRecord(cfHRec_);
    Call(client::kCopyRecord, table.ByRef(), ownRecord.ByRef(), record.ByRef());
  }
  Call(client::kFreeRecord, record.ByRef());
  lookupBuffer.Freed();
  Call(client::kCloseTable, table.ByRef());
  lookupTable.Freed();
  GuardOff();
  return found;
}

// The same lookup in one call of the native interface. Its outcome is that of the call
// sequence above: a client error first, then a surplus key value (as the key array's
// subscript fails), then the key lines for a record not found.
bool Table::LookUpByKeyNative(dbclient::NativeClient& native, std::span<const Variant> fieldData,
                              std::u16string* keyText) {
  GuardOn();
  const bool found = native.LookUpByKey(tableNo_, fieldData, cfHRec_, &lookupKeyFields_);
  CheckLastError({});
  if (fieldData.size() > lookupKeyFields_.size()) {
    automation::RaiseStandard(automation::error::kSubscriptOutOfRange);
  }
  if (!found && keyText != nullptr) {
    for (size_t i = 0; i < fieldData.size(); ++i) {
      AppendKeyLine(keyText, FieldName(Variant(lookupKeyFields_[i])), fieldData[i]);
    }
  }
  GuardOff();
  return found;
}

Variant Table::GetRec(std::span<const Variant> fieldData) {
  std::u16string keyText;
  if (!LookUpByKey(fieldData, &keyText)) table_errors::RaiseRecordNotFound(Name(), keyText);
  table_internal::CountOperation(tmpCountGet_);
  return Variant(true);
}

bool Table::GetRecT(std::span<const Variant> fieldData) {
  const bool found = LookUpByKey(fieldData, nullptr);
  table_internal::CountOperation(tmpCountGet_);
  return found;
}

bool Table::Find(std::u16string_view searchMetod) {
  GuardOn();
  HandleArg table(cfHTable_);
  HandleArg record(cfHRec_);
  Variant method(searchMetod);
  // "Not found" answers are accepted; any other message shows the method in place of %12.
  const std::u16string substitution = u"12;" + std::u16string(searchMetod);
  const std::u16string_view directives[] = {u"OK;19.1008,19.1095", substitution};
  const Variant result =
      CallWith(directives, client::kFind, table.ByRef(), record.ByRef(), Variant::ByRef(&method));
  GuardOff();
  table_internal::CountOperation(tmpCountFind_);
  return result.ToLong() == -1;
}

int16_t Table::NextRec(int16_t step) {
  GuardOn();
  // An accept directive without keys: every error is raised.
  const std::u16string_view directives[] = {u"OK;"};
  int16_t moved = 0;
  if (dbclient::NativeClient* native = NativeDbClient()) {  // the step of every scan: typed
    moved = native->Next(cfHTable_, cfHRec_, step);
    CheckLastError(directives);
  } else {
    HandleArg table(cfHTable_);
    HandleArg record(cfHRec_);
    Variant steps(step);
    moved = CallWith(directives, client::kNext, table.ByRef(), record.ByRef(),
                     Variant::ByRef(&steps))
                .ToInteger();
  }
  GuardOff();
  table_internal::CountOperation(tmpCountFind_);
  return moved;
}

void Table::SetRange(const Variant& field, const Variant* minValue, const Variant* maxValue) {
  Variant low = table_internal::IsGiven(minValue) ? minValue->Deref() : Variant();
  Variant high = table_internal::IsGiven(maxValue) ? maxValue->Deref() : low;
  GuardOn();
  const int32_t fieldNo = FieldNo(field);
  HandleArg table(cfHTable_);
  // Empty, 0, False and "" all compare equal to Empty: each of them removes the range.
  if (automation::Equals(low, Variant())) {
    Call(client::kSetFilter, table.ByRef(), Variant(fieldNo), Variant(u""));
  } else {
    Call(client::kSetRange, table.ByRef(), Variant(fieldNo), Variant::ByRef(&low),
         Variant::ByRef(&high));
  }
  GuardOff();
}

void Table::SetFilter(const Variant& field, std::u16string_view filterStr) {
  GuardOn();
  const int32_t fieldNo = FieldNo(field);
  HandleArg table(cfHTable_);
  Variant filter(filterStr);
  Call(client::kSetFilter, table.ByRef(), Variant(fieldNo), Variant::ByRef(&filter));
  GuardOff();
}

bool Table::SetCurrentKey(std::span<const Variant> fields) {
  if (fields.empty()) return false;
  GuardOn();
  HandleArg table(cfHTable_);
  Call(client::kGetKey, table.ByRef());  // the current key is read and not used
  std::vector<Variant> numbers;
  numbers.reserve(fields.size());
  for (const Variant& field : fields) numbers.emplace_back(FieldNo(field));
  Variant key(automation::VariantArray(std::move(numbers), 0));
  const bool done = Call(client::kSetKey, table.ByRef(), Variant::ByRef(&key)).ToLong() == -1;
  GuardOff();
  return done;
}

Variant Table::GetCurrentKey() {
  GuardOn();
  HandleArg table(cfHTable_);
  Variant key = Call(client::kGetKey, table.ByRef());
  GuardOff();
  return key;
}

int32_t Table::Count() {
  GuardOn();
  HandleArg table(cfHTable_);
  const int32_t count = Call(client::kCount, table.ByRef()).ToLong();
  GuardOff();
  return count;
}

void Table::LockTable(bool wait) {
  GuardOn();
  HandleArg table(cfHTable_);
  Call(client::kLockTable, table.ByRef(), Variant(int32_t{wait ? -1 : 0}));
  GuardOff();
}

}  // namespace talmo
