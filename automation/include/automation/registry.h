// The component registry: class ids and ProgIDs mapped to component libraries, the
// class-factory exports every component library provides, and CreateObject.
#pragma once

#include <atomic>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

#include "automation/dispatch.h"
#include "automation/ref.h"

namespace automation {

// Creates instances of one class; handed out by a library's DllGetClassObject.
class ClassFactory {
 public:
  virtual ~ClassFactory() = default;
  // Returns true with a new object in `object`, or false with `error` filled; no C++
  // exception leaves it.
  virtual bool CreateInstance(Ref<Dispatch>& object, ExceptionInfo& error) noexcept = 0;
};

// What a component library registers for one class.
struct ClassInfo {
  std::string_view clsid;  // "{A36E7C17-DA1B-4142-9DDC-E6A0EEA0A595}"
  std::string_view progId;  // "Talmo.Database"
};

// The registry file: $TALMO_REGISTRY when set, else $XDG_CONFIG_HOME/talmo/registry.ini,
// else ~/.config/talmo/registry.ini.
std::filesystem::path RegistryFilePath();

// Writes (or removes) the classes of the library that contains `addressInLibrary` (found
// with dladdr) into the registry file. Component libraries call these from their
// DllRegisterServer / DllUnregisterServer. Throw AutomationError on failure.
void RegisterClasses(std::span<const ClassInfo> classes, const void* addressInLibrary);
void UnregisterClasses(std::span<const ClassInfo> classes);

// Loads the library at `path` and calls its DllRegisterServer / DllUnregisterServer.
// Unregistering raises error 5 without calling the library when no class in the registry
// names that library file.
void RegisterLibrary(const std::filesystem::path& path);
void UnregisterLibrary(const std::filesystem::path& path);

// Creates an object by ProgID ("Talmo.Database") or class id ("{...}"): reads the
// registry, loads the library once, asks its class factory. Raises 429 when the class is
// not registered or its library cannot be loaded (naming the registry file and the
// talmo-regsvr command), or the factory's own error.
Ref<Dispatch> CreateObject(std::u16string_view progIdOrClsid);

// Unloads every loaded library whose DllCanUnloadNow says it can.
void FreeUnusedLibraries();

// Counts the live objects and factory locks of one component library, for its
// DllCanUnloadNow. A library keeps one static instance.
class LibraryUsage {
 public:
  void Add() noexcept { ++count_; }
  void Remove() noexcept { --count_; }
  bool CanUnload() const noexcept { return count_.load() == 0; }

 private:
  std::atomic<int32_t> count_{0};
};

}  // namespace automation

// The exports of a component library, C linkage, looked up by name with dlsym.
// DllGetClassObject returns a factory owned by the caller (delete it through the
// destructor of ClassFactory), or null for an unknown class id.
extern "C" {
using DllGetClassObjectFn = automation::ClassFactory* (*)(const char* clsid);
using DllCanUnloadNowFn = int (*)();       // 1 when the library may be unloaded
using DllRegisterServerFn = int (*)();     // 0 on success
using DllUnregisterServerFn = int (*)();   // 0 on success
}
