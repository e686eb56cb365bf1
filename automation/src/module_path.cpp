#include "automation/module_path.h"

#include <dlfcn.h>

#include <system_error>

#include "automation/automation_error.h"
#include "automation/text.h"

namespace automation {

std::filesystem::path ModuleFolder(const void* addressInModule) {
  Dl_info info{};
  if (dladdr(addressInModule, &info) == 0 || info.dli_fname == nullptr) {
    throw AutomationError(error::kFileNotFound, u"",
                          u"The module of the given address is not known");
  }
  std::error_code ec;
  std::filesystem::path file = std::filesystem::canonical(info.dli_fname, ec);
  if (ec) file = std::filesystem::absolute(info.dli_fname);
  return file.parent_path();
}

std::filesystem::path ExecutableFolder() {
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) {
    throw AutomationError(error::kFileNotFound, u"",
                          u"The running program's file is not known: " + FromUtf8(ec.message()));
  }
  return exe.parent_path();
}

}  // namespace automation
