// The common part of the record-rule classes `Entry18`, `Entry36` and `Entry37`: the `Rec`
// property (the table the rules work on) and the helpers every rule uses on it.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "automation/dispatch.h"
#include "automation/ref.h"
#include "automation/variant.h"
#include "rules/entry_link.h"
#include "session/library_usage.h"

namespace talmo {

// Dispatch id of `Rec` in all three interfaces.
inline constexpr automation::DispId kRecDispId = 0x40030000;

class RecordRule : public automation::DispatchObject, public EntryLink {
 public:
  // The table the rules work on, or null when none is set.
  automation::Ref<Table> Rec() const noexcept;
  // Sets (or, with null, clears) the table. The link owns the table unless the table holds
  // this object in its EntryProcess, in which case the table's release clears it.
  void SetRec(automation::Ref<Table> table) noexcept;

  void HeldBy(Table* table) noexcept override;
  void DroppedBy(Table* table) noexcept override;

 protected:
  RecordRule() = default;
  // Release steps: releases `Rec`.
  ~RecordRule() override;

  // The table of `Rec`; raises 91 when none is set.
  Table& RecTable() const;

  // The `Rec` members of InvokeMember: get, and put by reference (a Table or Nothing;
  // anything else raises 13).
  void InvokeRec(automation::InvokeKind kind, std::span<automation::Variant> args,
                 automation::Variant& result);

 private:
  LiveObject live_;
  Table* rec_ = nullptr;
  bool ownsRec_ = false;
};

// A field number as the Variant the Table members take.
inline automation::Variant FieldId(int32_t field) noexcept { return automation::Variant(field); }

// True for Empty and "": the blank value of a text or code field.
bool IsBlankText(const automation::Variant& value);

// A fresh look-up table from CurrentDatabase's AllocTable; 91 when there is no Database.
automation::Ref<Table> AllocLookupTable(int32_t tableNo);

}  // namespace talmo
