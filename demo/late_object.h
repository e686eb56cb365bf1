// A late-bound automation object: members are called by name, each name resolved to its
// dispatch id once per class and then reused, as a client of the component does.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "automation/dispatch.h"
#include "automation/ref.h"
#include "automation/variant.h"

namespace talmo_demo {

class LateObject {
 public:
  // Nothing: every call raises 91.
  LateObject() = default;
  // Holds a counted reference to `object`.
  explicit LateObject(automation::Ref<automation::Dispatch> object);

  // Member `name` as a method, a property read or a property write (the new value last).
  // Each raises AutomationError: 91 on Nothing, 438 for an unknown name, or the object's
  // own error.
  template <class... A>
  automation::Variant Call(std::u16string_view name, A&&... args) {
    return automation::CallMethod(object_.get(), Id(name), std::forward<A>(args)...);
  }
  template <class... A>
  automation::Variant Get(std::u16string_view name, A&&... args) {
    return automation::GetProperty(object_.get(), Id(name), std::forward<A>(args)...);
  }
  template <class... A>
  void Put(std::u16string_view name, A&&... args) {
    automation::PutProperty(object_.get(), Id(name), std::forward<A>(args)...);
  }

  bool IsNothing() const noexcept { return !object_; }
  automation::Dispatch* get() const noexcept { return object_.get(); }
  const automation::Ref<automation::Dispatch>& ref() const noexcept { return object_; }

 private:
  using IdTable = std::map<std::u16string, automation::DispId, std::less<>>;

  // The dispatch id of `name`, asked of the object only the first time a class meets it.
  automation::DispId Id(std::u16string_view name);

  automation::Ref<automation::Dispatch> object_;
  // Shared by every object of the same class name; null for Nothing.
  std::shared_ptr<IdTable> ids_;
};

// Wraps the result of a member that returns an object (AllocTable): 424 when it is not one.
LateObject AsObject(const automation::Variant& value);

}  // namespace talmo_demo
