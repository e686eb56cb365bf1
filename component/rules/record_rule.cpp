#include "rules/record_rule.h"

#include <utility>

#include "automation/automation_error.h"
#include "records/table.h"
#include "session/global.h"

namespace talmo {

using automation::InvokeKind;
using automation::Ref;
using automation::Variant;

RecordRule::~RecordRule() { SetRec(nullptr); }

Ref<Table> RecordRule::Rec() const noexcept { return Ref<Table>(rec_); }

void RecordRule::SetRec(Ref<Table> table) noexcept {
  Table* old = std::exchange(rec_, nullptr);
  const bool oldOwned = std::exchange(ownsRec_, false);
  if (table) {
    rec_ = table.get();
    // AllocTable stores the rule object in EntryProcess before it sets Rec.
    if (table->EntryProcess().get() != this) {
      ownsRec_ = true;
      table.Detach();  // keep the reference `table` carried
    }
  }
  // Dropped last: the old table's release steps may call back into this object.
  if (old && oldOwned) old->Release();
}

void RecordRule::HeldBy(Table* table) noexcept {
  if (rec_ == table && ownsRec_) {
    ownsRec_ = false;
    table->Release();  // the caller still holds the table
  }
}

void RecordRule::DroppedBy(Table* table) noexcept {
  if (rec_ == table && !ownsRec_) {
    table->AddRef();
    ownsRec_ = true;
  }
}

Table& RecordRule::RecTable() const {
  if (rec_ == nullptr) automation::RaiseStandard(automation::error::kObjectNotSet);
  return *rec_;
}

void RecordRule::InvokeRec(InvokeKind kind, std::span<Variant> args, Variant& result) {
  automation::Args a(args);
  switch (kind) {
    case InvokeKind::kPropertyGet:
    case InvokeKind::kMethod:
      a.ExpectCount(0, 0);
      result = rec_ ? Variant(Ref<automation::Dispatch>(rec_)) : Variant::Nothing();
      return;
    case InvokeKind::kPropertyPutRef:
    case InvokeKind::kPropertyPut: {
      a.ExpectCount(1, 1);
      const Variant& value = a.Required(0);
      if (!value.IsObject()) automation::RaiseStandard(automation::error::kTypeMismatch);
      Ref<automation::Dispatch> object = value.ToObject();
      if (!object) {
        SetRec(nullptr);
        return;
      }
      auto* table = dynamic_cast<Table*>(object.get());
      if (table == nullptr) automation::RaiseStandard(automation::error::kTypeMismatch);
      SetRec(Ref<Table>(table));
      return;
    }
  }
  automation::RaiseMemberNotFound();
}

bool IsBlankText(const Variant& value) { return automation::Equals(value, Variant(u"")); }

Ref<Table> AllocLookupTable(int32_t tableNo) {
  Ref<Database> database = global::CurrentDatabase();
  if (!database) automation::RaiseStandard(automation::error::kObjectNotSet);
  return database->AllocTable(Variant(tableNo));
}

}  // namespace talmo
