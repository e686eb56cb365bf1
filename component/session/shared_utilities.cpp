#include "session/shared_utilities.h"

#include "automation/module_path.h"
#include "automation/text.h"
#include "errors/component_error.h"

namespace talmo {

const std::u16string& ComponentFolder() {
  static const std::u16string folder = automation::FromUtf8(
      automation::ModuleFolder(reinterpret_cast<const void*>(&ComponentFolder)).string());
  return folder;
}

clsIniFile& SharedIniFile() {
  static clsIniFile ini(ComponentFolder(), std::u16string(kComponentTitle));
  return ini;
}

const clsString& SharedString() {
  static const clsString strings(ComponentFolder(), std::u16string(kComponentTitle));
  return strings;
}

}  // namespace talmo
