#include "session/component_classes.h"

#include "records/table.h"
#include "rules/entry18.h"
#include "rules/entry36.h"
#include "rules/entry37.h"
#include "session/database.h"

namespace talmo {
namespace {

template <class T>
automation::Ref<automation::Dispatch> Create() {
  return automation::MakeRef<T>();
}

automation::Ref<automation::Dispatch> CreateDatabaseObject() { return CreateDatabase(); }

// Class id, ProgID and creation of every creatable class; a new class is one more row.
constexpr ComponentClass kClasses[] = {
    {{"{A36E7C17-DA1B-4142-9DDC-E6A0EEA0A595}", "Talmo.Database"}, &CreateDatabaseObject},
    {{kTableClsid, "Talmo.Table"}, &Create<Table>},
    {{kEntry18Clsid, "Talmo.Entry18"}, &Create<Entry18>},
    {{kEntry36Clsid, "Talmo.Entry36"}, &Create<Entry36>},
    {{kEntry37Clsid, "Talmo.Entry37"}, &Create<Entry37>},
};

}  // namespace

std::span<const ComponentClass> ComponentClasses() noexcept { return kClasses; }

}  // namespace talmo
