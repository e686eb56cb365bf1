// The record-rule objects that Database.AllocTable attaches to new tables.
#pragma once

#include <cstdint>

#include "automation/dispatch.h"
#include "automation/ref.h"

namespace talmo {

// A new record-rule object for `tableNo` (Entry18, Entry36, Entry37 for tables 18, 36, 37),
// or null for a table without rules. Raises what the object's creation raises.
automation::Ref<automation::Dispatch> CreateEntryProcess(int32_t tableNo);

}  // namespace talmo
