// talmo-regsvr [/u] [/s] <library.so>...
//
// Calls DllRegisterServer (or, with /u, DllUnregisterServer) of each library, in order,
// and stops at the first failure. Exit code 0 when every library succeeded, 1 on a
// failure, 2 on a usage error.
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "automation/automation_error.h"
#include "automation/registry.h"
#include "automation/text.h"

namespace {

constexpr const char* kUsage =
    "usage: talmo-regsvr [/u] [/s] <library.so>...\n"
    "  registers each component library in the component registry\n"
    "  /u  unregister instead\n"
    "  /s  silent: print nothing on success\n";

bool IsOption(std::string_view arg, char letter) {
  return arg.size() == 2 && (arg[0] == '/' || arg[0] == '-') &&
         (arg[1] == letter || arg[1] == letter - 'a' + 'A');
}

}  // namespace

int main(int argc, char** argv) {
  bool unregister = false;
  bool silent = false;
  std::vector<std::string> libraries;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (IsOption(arg, 'u')) {
      unregister = true;
    } else if (IsOption(arg, 's')) {
      silent = true;
    } else if (IsOption(arg, 'h') || arg == "/?" || arg == "--help") {
      std::fputs(kUsage, stdout);
      return 0;
    } else if (!arg.empty() && arg[0] == '-' && arg.size() > 1) {
      std::fprintf(stderr, "talmo-regsvr: unknown option %s\n%s", argv[i], kUsage);
      return 2;
    } else {
      libraries.emplace_back(arg);
    }
  }
  if (libraries.empty()) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  for (const std::string& library : libraries) {
    try {
      if (unregister) {
        automation::UnregisterLibrary(library);
      } else {
        automation::RegisterLibrary(library);
      }
    } catch (const automation::AutomationError& e) {
      // Each description names the library it is about.
      std::fprintf(stderr, "talmo-regsvr: %s (error %d)\n",
                   automation::ToUtf8(e.description()).c_str(), e.number());
      return 1;
    }
    if (!silent) {
      std::printf("%s succeeded in %s (registry %s)\n",
                  unregister ? "DllUnregisterServer" : "DllRegisterServer", library.c_str(),
                  automation::RegistryFilePath().c_str());
    }
  }
  return 0;
}
