// What a `Table` tells the record-rule object it holds in `EntryProcess`, so that the rule
// object's back link `Rec` to that table does not keep the table alive (the table owns the
// rule object, the rule object must not own the table back: that cycle would never be freed).
#pragma once

namespace talmo {

class Table;

class EntryLink {
 public:
  // `table` now holds this object in its EntryProcess. Called by the table after it stored
  // the object; the caller keeps `table` alive for the duration of the call.
  virtual void HeldBy(Table* table) noexcept = 0;
  // `table` is about to drop this object from its EntryProcess for another value (not from
  // its release steps, which clear `Rec` first). A back link to `table` becomes owning again,
  // since nothing else ties the two together any more.
  virtual void DroppedBy(Table* table) noexcept = 0;

 protected:
  ~EntryLink() = default;
};

}  // namespace talmo
