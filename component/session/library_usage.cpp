#include "session/library_usage.h"

namespace talmo {

automation::LibraryUsage& ComponentUsage() noexcept {
  static automation::LibraryUsage usage;
  return usage;
}

}  // namespace talmo
