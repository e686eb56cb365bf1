// "The folder of the running module's own file".
#pragma once

#include <filesystem>

namespace automation {

// The folder of the shared library (or executable) that contains `addressInModule`,
// found with dladdr. Pass the address of any function or static of the module.
std::filesystem::path ModuleFolder(const void* addressInModule);

// The folder of the running executable (/proc/self/exe).
std::filesystem::path ExecutableFolder();

}  // namespace automation
