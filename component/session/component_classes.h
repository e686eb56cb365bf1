// The automation classes the component library registers and creates.
#pragma once

#include <span>

#include "automation/ref.h"
#include "automation/registry.h"

namespace talmo {

struct ComponentClass {
  automation::ClassInfo info;
  // A new object of the class; raises what the class's creation steps raise.
  automation::Ref<automation::Dispatch> (*create)();
};

// Every creatable class of the component, in registration order (one list, in
// component_classes.cpp).
std::span<const ComponentClass> ComponentClasses() noexcept;

}  // namespace talmo
