// `Table`: Validate (the hand-over to the record-rule object and the relation check) and
// TestField.
#include <unordered_map>

#include "automation/automation_error.h"
#include "records/table.h"
#include "records/table_errors.h"
#include "records/table_internal.h"
#include "session/database.h"
#include "session/db_client.h"
#include "session/global.h"

namespace talmo {

using automation::Ref;
using automation::Variant;

namespace {

// The field-description table: one record per field of every table, keyed by (table number,
// field number); its field 21 is the number of the table the field relates to (0: none).
constexpr int32_t kFieldDescriptionTable = 2000000041;
constexpr int32_t kRelatedTableField = 21;

// Empty, Null and "" take no part in the relation check; numbers (0 included) do.
bool IsCheckedValue(const Variant& value) {
  switch (value.type()) {
    case automation::VarType::kEmpty:
    case automation::VarType::kNull:
      return false;
    case automation::VarType::kString:
      return !value.ToString().empty();
    default:
      return true;
  }
}

// A table from CurrentDatabase's AllocTable; 91 when there is no Database.
Ref<Table> AllocFromCurrentDatabase(int32_t tableNo) {
  Ref<Database> database = global::CurrentDatabase();
  if (!database) automation::RaiseStandard(automation::error::kObjectNotSet);
  return database->AllocTable(Variant(tableNo));
}

// True when `a` and `b` differ; Null on either side compares as "not different", as a
// condition that evaluates to Null is not taken.
bool Differs(const Variant& a, const Variant& b) {
  const automation::Comparison c = automation::Compare(a, b);
  return c == automation::Comparison::kLess || c == automation::Comparison::kGreater;
}

// The value a filled field of `type` must not hold.
Variant BlankValue(int16_t type) {
  switch (type) {
    case ftText:
    case ftCode:
      return Variant(u"");
    case ftBoolean:
      return Variant(false);
    default:
      return Variant(int16_t{0});
  }
}

// The table that field `field` of table `tableNo` relates to (0: none), as the
// field-description table gives it.
int32_t ReadRelatedTable(int32_t tableNo, const Variant& field) {
  Ref<Table> descriptions = AllocFromCurrentDatabase(kFieldDescriptionTable);
  const Variant descriptionKey[] = {Variant(tableNo), field};
  if (!descriptions->GetRecT(descriptionKey)) return 0;
  return descriptions->Field(Variant(kRelatedTableField)).ToLong();
}

// ReadRelatedTable, remembered on the native path: the client that answers it describes its
// own application schema, which never changes, and every validation of a filled field would
// otherwise open a table to read it. A late-bound client is asked every time.
int32_t RelatedTable(int32_t tableNo, const Variant& field) {
  if (NativeDbClient() == nullptr) return ReadRelatedTable(tableNo, field);
  if (!global::CurrentDatabase()) automation::RaiseStandard(automation::error::kObjectNotSet);
  static std::unordered_map<int64_t, int32_t> known;  // by table number and field number
  const int64_t key = (int64_t{tableNo} << 32) | static_cast<uint32_t>(field.ToLong());
  if (auto it = known.find(key); it != known.end()) return it->second;
  const int32_t related = ReadRelatedTable(tableNo, field);
  known.emplace(key, related);
  return related;
}

// Clears a rule object's "Rec" on the way out of a failed call; the call's own error is the
// one that matters, so an error of this clean-up is dropped.
void TakeBackLentRec(automation::Dispatch& rules, automation::DispId recId) noexcept {
  try {
    automation::PutPropertyRef(&rules, recId, nullptr);
  } catch (const automation::AutomationError&) {
  }
}

}  // namespace

void Table::Validate(const Variant& id, const Variant* newValue) {
  Variant field(FieldNo(id));
  Variant value = table_internal::IsGiven(newValue) ? newValue->Deref() : Field(field);
  if (entryProcess_) {
    // Held for the call: the rule object may replace this table's EntryProcess.
    const Ref<automation::Dispatch> rules = entryProcess_;
    const automation::DispId recId = automation::GetDispId(rules.get(), u"Rec");
    bool lentRec = false;
    if (!automation::GetProperty(rules.get(), recId).ToObject()) {
      automation::PutPropertyRef(rules.get(), recId, Ref<automation::Dispatch>(this));
      lentRec = true;
    }
    try {
      automation::CallMethod(rules.get(), automation::GetDispId(rules.get(), u"Validate"),
                             Variant::ByRef(&field), Variant::ByRef(&value));
      // The rule object stored the value, adjusted by its rules; check what it left.
      value = Field(field);
    } catch (...) {
      // A Rec lent for this call is taken back however the call ends: left in place, it
      // would tie the rule object and this table into a cycle that is never released.
      if (lentRec) TakeBackLentRec(*rules, recId);
      throw;
    }
    if (lentRec) automation::PutPropertyRef(rules.get(), recId, nullptr);
  } else {
    SetField(field, value);
  }
  if (!IsCheckedValue(value)) return;

  const int32_t relatedTable = RelatedTable(TableNo(), field);
  if (relatedTable == 0) return;
  Ref<Table> related = AllocFromCurrentDatabase(relatedTable);
  const Variant relatedKey[] = {value};
  related->GetRec(relatedKey);
}

void Table::TestField(const Variant& id, const Variant* newValue) {
  const int32_t field = FieldNo(id);
  const Variant value = Field(Variant(field));
  GuardOn();
  if (!table_internal::IsGiven(newValue)) {
    bool blank = value.IsEmpty();  // decided before the type is asked for
    if (!blank) {
      const int16_t type = FieldType(Variant(field));
      if (type < ftText || type > ftBLOB) table_errors::RaiseTestFieldUnknownType();
      if (type == ftBLOB) table_errors::RaiseTestFieldOnBlob();
      blank = automation::Equals(value, BlankValue(type));
    }
    if (blank) {
      const std::u16string tableName = Name();
      table_errors::RaiseFieldNotFilled(tableName, FieldName(Variant(field)));
    }
  } else if (Differs(newValue->Deref(), value)) {
    const std::u16string tableName = Name();
    const std::u16string fieldName = FieldName(Variant(field));
    table_errors::RaiseFieldDiffers(tableName, fieldName, table_internal::MessageText(*newValue),
                                    table_internal::MessageText(value));
  }
  GuardOff();
}

}  // namespace talmo
