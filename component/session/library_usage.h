// Counts the component's live objects and class factories, so the library answers
// DllCanUnloadNow truthfully.
#pragma once

#include "automation/registry.h"

namespace talmo {

// The one usage counter of the component library.
automation::LibraryUsage& ComponentUsage() noexcept;

// Holds one count for as long as it lives: a member of every automation class of the
// component (declare it first, so it counts the whole life of the object).
class LiveObject {
 public:
  LiveObject() noexcept { ComponentUsage().Add(); }
  LiveObject(const LiveObject&) noexcept : LiveObject() {}
  LiveObject& operator=(const LiveObject&) noexcept { return *this; }
  ~LiveObject() { ComponentUsage().Remove(); }
};

}  // namespace talmo
