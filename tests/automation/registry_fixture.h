// A private registry file for one test, and a probe for loaded libraries.
#pragma once

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "automation/private_profile.h"
#include "automation/registry.h"

namespace automation_test {

inline constexpr const char* kCounterClsid = "{5C0A1F3E-7B2D-4E61-9A8C-2F4D6B1E0A11}";
inline constexpr const char* kFailingClsid = "{5C0A1F3E-7B2D-4E61-9A8C-2F4D6B1E0A12}";

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/talmo-registry-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
    registry_ = folder_ / "sub" / "registry.ini";
    setenv("TALMO_REGISTRY", registry_.c_str(), 1);
  }
  void TearDown() override {
    automation::FreeUnusedLibraries();
    unsetenv("TALMO_REGISTRY");
    std::filesystem::remove_all(folder_);
  }

  std::string Read(const std::string& section, const std::string& key) const {
    char buffer[1024];
    const size_t n = automation::GetPrivateProfileString(section, key, "<absent>", buffer,
                                                         sizeof buffer, registry_.string());
    return std::string(buffer, n);
  }
  void Write(const std::string& section, const std::string& key, const std::string& value) {
    std::filesystem::create_directories(registry_.parent_path());
    ASSERT_TRUE(automation::WritePrivateProfileString(section, key, value, registry_.string()));
  }

  // True when the library at `path` is loaded in this process (the probe itself does not
  // keep it loaded).
  static bool IsLoaded(const std::string& path) {
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (!handle) return false;
    dlclose(handle);
    return true;
  }

  std::filesystem::path folder_;
  std::filesystem::path registry_;
};

}  // namespace automation_test
