// The component registry file, library loading and CreateObject.
//
// Layout of the registry file (an INI file):
//   [CLSID {A36E7C17-...}]   ProgID=Talmo.Database   Library=/path/libTalmo.so
//   [ProgID Talmo.Database]  CLSID={A36E7C17-...}
// Unregistering empties the values; an empty value reads as "not registered".
#include "automation/registry.h"

#include <dlfcn.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <system_error>

#include "automation/automation_error.h"
#include "automation/module_path.h"
#include "automation/private_profile.h"
#include "automation/text.h"

namespace automation {
namespace {

constexpr size_t kValueBufferSize = 4096;

std::string ClassSection(std::string_view clsid) { return "CLSID " + std::string(clsid); }
std::string ProgIdSection(std::string_view progId) { return "ProgID " + std::string(progId); }

std::string ReadValue(const std::string& section, std::string_view key) {
  char buffer[kValueBufferSize];
  const size_t n =
      GetPrivateProfileString(section, key, "", buffer, sizeof buffer, RegistryFilePath().string());
  return std::string(buffer, n);
}

void WriteValue(const std::string& file, const std::string& section, std::string_view key,
                std::string_view value) {
  if (!WritePrivateProfileString(section, key, value, file)) {
    throw AutomationError(error::kPathFileAccess, u"",
                          u"The component registry " + FromUtf8(file) + u" cannot be written");
  }
}

std::string EnsureRegistryFile() {
  const std::filesystem::path file = RegistryFilePath();
  std::error_code ec;
  if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path(), ec);
  return file.string();
}

// Every failure to create an object is error 429 with a description of what was missing.
[[noreturn]] void CannotCreate(const std::string& what) {
  throw AutomationError(error::kCannotCreateObject, u"",
                        StandardErrorText(error::kCannotCreateObject) + u": " + FromUtf8(what));
}

// What to do about a class the registry does not lead to a loadable library for.
std::string RegisterAdvice() {
  return "; register its library with: talmo-regsvr LIBRARY.so (TALMO_REGISTRY chooses the "
         "registry file)";
}

[[noreturn]] void NotRegistered(const std::string& name) {
  CannotCreate("the class " + name + " is not registered in " + RegistryFilePath().string() +
               RegisterAdvice());
}

std::string DlError() {
  const char* text = dlerror();
  return text ? text : "unknown error";
}

struct LoadedLibrary {
  void* handle = nullptr;
  DllGetClassObjectFn getClassObject = nullptr;
  DllCanUnloadNowFn canUnloadNow = nullptr;
};

// The libraries CreateObject has loaded, each once, by registered path.
class LibraryTable {
 public:
  LoadedLibrary Load(const std::string& path) {
    std::lock_guard lock(mutex_);
    auto it = libraries_.find(path);
    if (it != libraries_.end()) return it->second;
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
      CannotCreate("the library " + path + " cannot be loaded: " + DlError() + RegisterAdvice());
    }
    LoadedLibrary library{handle,
                          reinterpret_cast<DllGetClassObjectFn>(dlsym(handle, "DllGetClassObject")),
                          reinterpret_cast<DllCanUnloadNowFn>(dlsym(handle, "DllCanUnloadNow"))};
    if (!library.getClassObject) {
      dlclose(handle);
      CannotCreate("the library " + path + " does not export DllGetClassObject");
    }
    libraries_.emplace(path, library);
    return library;
  }

  void FreeUnused() {
    std::lock_guard lock(mutex_);
    for (auto it = libraries_.begin(); it != libraries_.end();) {
      if (it->second.canUnloadNow && it->second.canUnloadNow() == 1) {
        dlclose(it->second.handle);
        it = libraries_.erase(it);
      } else {
        ++it;
      }
    }
  }

 private:
  std::mutex mutex_;
  std::map<std::string, LoadedLibrary> libraries_;
};

LibraryTable& Libraries() {
  static LibraryTable table;
  return table;
}

// Opens a library for registration; the handle is closed when this goes out of scope.
class ScopedLibrary {
 public:
  explicit ScopedLibrary(const std::filesystem::path& path) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
      throw AutomationError(error::kFileNotFound, u"",
                            u"File not found: " + FromUtf8(path.string()));
    }
    // A path without a slash would make dlopen search the library path instead.
    const std::string file = std::filesystem::absolute(path, ec).string();
    handle_ = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
      throw AutomationError(error::kCannotCreateObject, u"",
                            u"The library cannot be loaded: " + FromUtf8(DlError()));
    }
    path_ = file;
  }
  ScopedLibrary(const ScopedLibrary&) = delete;
  ScopedLibrary& operator=(const ScopedLibrary&) = delete;
  ~ScopedLibrary() { dlclose(handle_); }

  const std::string& path() const noexcept { return path_; }

  // Calls the int() export `name` and raises when it is missing or does not return 0.
  void Call(const char* name) {
    auto fn = reinterpret_cast<int (*)()>(dlsym(handle_, name));
    if (!fn) {
      throw AutomationError(error::kCannotCreateObject, u"",
                            FromUtf8(path_ + " does not export " + name));
    }
    if (const int code = fn(); code != 0) {
      throw AutomationError(error::kCannotCreateObject, u"",
                            FromUtf8(std::string(name) + " of " + path_ + " failed with code " +
                                     std::to_string(code)));
    }
  }

 private:
  void* handle_ = nullptr;
  std::string path_;
};

// True when a class in the registry names the library file at `library`.
bool NamesLibrary(const std::string& library) {
  const std::string file = RegistryFilePath().string();
  for (const std::string& section : GetPrivateProfileSectionNames(file)) {
    if (!section.starts_with("CLSID ")) continue;
    const std::string registered = ReadValue(section, "Library");
    std::error_code ec;
    if (!registered.empty() && std::filesystem::equivalent(registered, library, ec)) return true;
  }
  return false;
}

std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir) return entry->pw_dir;
  return ".";
}

}  // namespace

std::filesystem::path RegistryFilePath() {
  if (const char* file = std::getenv("TALMO_REGISTRY"); file && *file) return file;
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config) {
    return std::filesystem::path(config) / "talmo" / "registry.ini";
  }
  return std::filesystem::path(HomeFolder()) / ".config" / "talmo" / "registry.ini";
}

void RegisterClasses(std::span<const ClassInfo> classes, const void* addressInLibrary) {
  Dl_info info{};
  if (dladdr(addressInLibrary, &info) == 0 || !info.dli_fname) {
    throw AutomationError(error::kFileNotFound, u"", u"The library to register is not known");
  }
  std::error_code ec;
  std::filesystem::path library = std::filesystem::canonical(info.dli_fname, ec);
  if (ec) library = std::filesystem::absolute(info.dli_fname);
  const std::string file = EnsureRegistryFile();
  for (const ClassInfo& c : classes) {
    WriteValue(file, ClassSection(c.clsid), "ProgID", c.progId);
    WriteValue(file, ClassSection(c.clsid), "Library", library.string());
    WriteValue(file, ProgIdSection(c.progId), "CLSID", c.clsid);
  }
}

void UnregisterClasses(std::span<const ClassInfo> classes) {
  const std::string file = RegistryFilePath().string();
  std::error_code ec;
  if (!std::filesystem::exists(file, ec)) return;  // nothing registered
  for (const ClassInfo& c : classes) {
    WriteValue(file, ClassSection(c.clsid), "ProgID", "");
    WriteValue(file, ClassSection(c.clsid), "Library", "");
    // The ProgID may meanwhile name another class; leave that registration alone.
    if (ReadValue(ProgIdSection(c.progId), "CLSID") == c.clsid) {
      WriteValue(file, ProgIdSection(c.progId), "CLSID", "");
    }
  }
}

void RegisterLibrary(const std::filesystem::path& path) {
  ScopedLibrary(path).Call("DllRegisterServer");
}

void UnregisterLibrary(const std::filesystem::path& path) {
  ScopedLibrary library(path);
  if (!NamesLibrary(library.path())) {
    throw AutomationError(
        error::kInvalidProcedureCall, u"",
        FromUtf8(library.path() + " is not registered in " + RegistryFilePath().string() +
                 ": there is nothing to unregister"));
  }
  library.Call("DllUnregisterServer");
}

Ref<Dispatch> CreateObject(std::u16string_view progIdOrClsid) {
  const std::string name = ToUtf8(progIdOrClsid);
  if (name.empty()) CannotCreate("no class name was given");
  std::string clsid = name;
  if (name.front() != '{') {
    clsid = ReadValue(ProgIdSection(name), "CLSID");
    if (clsid.empty()) NotRegistered(name);
  }
  // Class ids are written in upper case; a caller may spell the hex digits either way.
  for (char& c : clsid) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  const std::string libraryPath = ReadValue(ClassSection(clsid), "Library");
  if (libraryPath.empty()) NotRegistered(clsid);

  const LoadedLibrary library = Libraries().Load(libraryPath);
  std::unique_ptr<ClassFactory> factory(library.getClassObject(clsid.c_str()));
  if (!factory) CannotCreate("the library " + libraryPath + " has no class " + clsid);
  Ref<Dispatch> object;
  ExceptionInfo error;
  if (!factory->CreateInstance(object, error)) {
    throw AutomationError(error.number, std::move(error.source), std::move(error.description));
  }
  if (!object) CannotCreate("the class factory of " + clsid + " returned no object");
  return object;
}

void FreeUnusedLibraries() { Libraries().FreeUnused(); }

}  // namespace automation
