#include "util/cls_ini_file.h"

#include <array>

#include "automation/dispatch.h"  // completes Dispatch for the inline Variant members
#include "automation/private_profile.h"
#include "automation/text.h"
#include "util_errors.h"

namespace talmo {
namespace {

// What the reader hands back for an absent key; a stored value equal to it reads as "".
constexpr std::u16string_view kDefaultText = u"°°°DefaultValue%KeyIsNotExist°°°";
constexpr size_t kValueBufferSize = 500;

// Files are named by their path in the file system's encoding (UTF-8); sections, keys and
// values are bytes of the system ANSI code page, as the private-profile functions take them.
std::string PlatformPath(std::u16string_view fileName) { return automation::ToUtf8(fileName); }

}  // namespace

clsIniFile::clsIniFile(std::u16string moduleFolder, std::u16string errorSource)
    : moduleFolder_(std::move(moduleFolder)), errorSource_(std::move(errorSource)) {}

void clsIniFile::SetFileName(std::u16string_view FileName) {
  if (FileName.find_first_of(u"/\\") != std::u16string_view::npos || moduleFolder_.empty()) {
    fileName_ = FileName;
    return;
  }
  std::u16string path = moduleFolder_;
  if (path.back() != u'/') path += u'/';
  path += FileName;
  fileName_ = std::move(path);
}

std::u16string clsIniFile::LoadFromINI(std::u16string_view KeySection, std::u16string_view KeyKey,
                                       bool Povinne) const {
  std::array<char, kValueBufferSize> buffer{};
  size_t count = automation::GetPrivateProfileString(
      automation::ToAnsi(KeySection), automation::ToAnsi(KeyKey), automation::ToAnsi(kDefaultText),
      buffer.data(), buffer.size(), PlatformPath(fileName_));
  if (Povinne && count == 0) {
    util_errors::RaiseIniRead(errorSource_, fileName_, KeySection, KeyKey);
  }
  std::u16string value = automation::FromAnsi(std::string_view(buffer.data()));
  if (value == kDefaultText) return {};
  return value;
}

automation::Variant clsIniFile::SaveToINI(std::u16string_view KeySection,
                                          std::u16string_view KeyKey,
                                          std::u16string_view KeyValue) const {
  if (!automation::WritePrivateProfileString(
          automation::ToAnsi(KeySection), automation::ToAnsi(KeyKey), automation::ToAnsi(KeyValue),
          PlatformPath(fileName_))) {
    util_errors::RaiseIniWrite(errorSource_, fileName_, KeySection, KeyKey);
  }
  return {};
}

}  // namespace talmo
