// The class-factory exports through which the component registry reaches the component.
#include <exception>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "automation/registry.h"
#include "errors/component_error.h"
#include "session/component_classes.h"
#include "session/db_client.h"
#include "session/global.h"
#include "session/library_usage.h"

namespace talmo {
namespace {

// Runs the start-up procedure once per load, before the first object is handed out.
void StartOnce() {
  static bool started = false;
  if (started) return;
  started = true;
  global::Main();
}

class Factory final : public automation::ClassFactory {
 public:
  explicit Factory(const ComponentClass& cls) : class_(cls) {}

  bool CreateInstance(automation::Ref<automation::Dispatch>& object,
                      automation::ExceptionInfo& error) noexcept override {
    try {
      StartOnce();
      object = class_.create();
      return true;
    } catch (const automation::AutomationError& e) {
      error = {e.number(), e.source(), e.description()};
    } catch (const std::exception& e) {
      const automation::AutomationError standard =
          automation::AutomationError::Standard(automation::error::kInvalidProcedureCall);
      error = {standard.number(), std::u16string(kComponentTitle), standard.description()};
    }
    return false;
  }

 private:
  LiveObject lock_;
  const ComponentClass& class_;
};

std::vector<automation::ClassInfo> ClassInfos() {
  std::vector<automation::ClassInfo> infos;
  for (const ComponentClass& cls : ComponentClasses()) infos.push_back(cls.info);
  return infos;
}

bool SameClassId(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

}  // namespace
}  // namespace talmo

extern "C" {

__attribute__((visibility("default"))) automation::ClassFactory* DllGetClassObject(
    const char* clsid) {
  if (clsid == nullptr) return nullptr;
  for (const talmo::ComponentClass& cls : talmo::ComponentClasses()) {
    if (talmo::SameClassId(cls.info.clsid, clsid)) {
      return std::make_unique<talmo::Factory>(cls).release();
    }
  }
  return nullptr;
}

// The library stays loaded while any of its objects or factories lives, and while it holds a
// database client (left by a failed connection attempt or an open connection).
__attribute__((visibility("default"))) int DllCanUnloadNow() {
  return talmo::ComponentUsage().CanUnload() && talmo::DbClient() == nullptr ? 1 : 0;
}

__attribute__((visibility("default"))) int DllRegisterServer() {
  try {
    // An address of this library's own that no other library can interpose: a process that
    // already holds another component library would resolve DllRegisterServer to that one.
    automation::RegisterClasses(talmo::ClassInfos(),
                                reinterpret_cast<const void*>(&talmo::StartOnce));
    return 0;
  } catch (const std::exception&) {
    return 1;
  }
}

__attribute__((visibility("default"))) int DllUnregisterServer() {
  try {
    automation::UnregisterClasses(talmo::ClassInfos());
    return 0;
  } catch (const std::exception&) {
    return 1;
  }
}

}  // extern "C"
