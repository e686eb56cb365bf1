#include "rules/entry_factory.h"

#include "rules/entry18.h"
#include "rules/entry36.h"
#include "rules/entry37.h"

namespace talmo {

automation::Ref<automation::Dispatch> CreateEntryProcess(int32_t tableNo) {
  switch (tableNo) {
    case 18:
      return automation::MakeRef<Entry18>();
    case 36:
      return automation::MakeRef<Entry36>();
    case 37:
      return automation::MakeRef<Entry37>();
    default:
      return nullptr;
  }
}

}  // namespace talmo
