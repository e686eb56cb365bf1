// The exports of the client library for the component registry: its class factory and its
// registration under the client's class id and ProgID.
#include <cctype>
#include <exception>
#include <memory>
#include <string_view>

#include "automation/registry.h"
#include "binding/dbclient_object.h"
#include "binding/library_usage.h"

namespace dbclient::binding {
namespace {

bool SameClassId(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(a[i])) !=
        std::toupper(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

class Factory final : public automation::ClassFactory {
 public:
  Factory() { LibraryObjects().Add(); }
  ~Factory() override { LibraryObjects().Remove(); }

  bool CreateInstance(automation::Ref<automation::Dispatch>& object,
                      automation::ExceptionInfo& error) noexcept override {
    try {
      object = automation::MakeRef<DbClientObject>();
      return true;
    } catch (const std::exception&) {
      error.number = automation::error::kOutOfMemory;
      error.source = u"DbClient";
      error.description = automation::StandardErrorText(automation::error::kOutOfMemory);
      return false;
    }
  }
};

constexpr automation::ClassInfo kClasses[] = {{kClassId, kProgId}};

}  // namespace

automation::LibraryUsage& LibraryObjects() noexcept {
  static automation::LibraryUsage usage;
  return usage;
}

}  // namespace dbclient::binding

extern "C" {

__attribute__((visibility("default"))) automation::ClassFactory* DllGetClassObject(
    const char* clsid) {
  if (clsid == nullptr || !dbclient::binding::SameClassId(clsid, dbclient::binding::kClassId)) {
    return nullptr;
  }
  // The caller owns the factory and deletes it through ClassFactory's destructor.
  return std::make_unique<dbclient::binding::Factory>().release();
}

__attribute__((visibility("default"))) int DllCanUnloadNow() {
  return dbclient::binding::LibraryObjects().CanUnload() ? 1 : 0;
}

__attribute__((visibility("default"))) int DllRegisterServer() {
  try {
    automation::RegisterClasses(dbclient::binding::kClasses, &dbclient::binding::kClasses);
    return 0;
  } catch (const std::exception&) {
    return 1;
  }
}

__attribute__((visibility("default"))) int DllUnregisterServer() {
  try {
    automation::UnregisterClasses(dbclient::binding::kClasses);
    return 0;
  } catch (const std::exception&) {
    return 1;
  }
}

}  // extern "C"
