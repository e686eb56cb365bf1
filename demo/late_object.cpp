#include "late_object.h"

namespace talmo_demo {
namespace {

using IdTable = std::map<std::u16string, automation::DispId, std::less<>>;

// One name table per class name for the whole program; the program runs on one thread.
std::shared_ptr<IdTable> IdTableOf(const automation::Dispatch& object) {
  static std::map<std::u16string, std::shared_ptr<IdTable>> tables;
  std::shared_ptr<IdTable>& table = tables[object.ClassName()];
  if (!table) table = std::make_shared<IdTable>();
  return table;
}

}  // namespace

LateObject::LateObject(automation::Ref<automation::Dispatch> object)
    : object_(std::move(object)), ids_(object_ ? IdTableOf(*object_) : nullptr) {}

automation::DispId LateObject::Id(std::u16string_view name) {
  // Nothing: the call itself raises 91.
  if (!object_) return automation::kDispIdUnknown;
  const auto found = ids_->find(name);
  if (found != ids_->end()) return found->second;
  const automation::DispId id = automation::GetDispId(object_.get(), name);
  ids_->emplace(std::u16string(name), id);
  return id;
}

LateObject AsObject(const automation::Variant& value) { return LateObject(value.ToObject()); }

}  // namespace talmo_demo
