// `clsIniFile`: single keys of one INI file, read and written through the private-profile
// functions. The component keeps one for "Talmo.ini", the demo one for "TalmoDemo.ini".
#pragma once

#include <string>
#include <string_view>

#include "automation/variant.h"

namespace talmo {

class clsIniFile {
 public:
  // `moduleFolder`: the folder a bare file name is resolved against (the folder of the
  // owner's own file). `errorSource`: the source of the errors this object raises.
  clsIniFile(std::u16string moduleFolder, std::u16string errorSource);

  // Stores the INI file's path. A bare name (no '/' and no '\') is put into the module
  // folder (when one was given); anything else is stored unchanged. Nothing is checked or
  // opened. The path reaches the file system as UTF-8.
  void SetFileName(std::u16string_view FileName);
  // The path stored by the last SetFileName; empty before the first.
  const std::u16string& FileName() const noexcept { return fileName_; }

  // The value of `KeyKey` in section `KeySection`, at most 499 characters. An absent file,
  // section or key reads as "". When `Povinne` (mandatory) is true and the key is present
  // but empty, raises 10101 naming the file, the section and the key.
  std::u16string LoadFromINI(std::u16string_view KeySection, std::u16string_view KeyKey,
                             bool Povinne) const;

  // Writes `KeyValue` as the value of `KeyKey` in `KeySection`, creating the section and
  // the file as needed. Raises 10102 naming the file, the section and the key when the
  // file cannot be written. Returns an Empty Variant.
  automation::Variant SaveToINI(std::u16string_view KeySection, std::u16string_view KeyKey,
                                std::u16string_view KeyValue) const;

 private:
  std::u16string moduleFolder_;
  std::u16string errorSource_;
  std::u16string fileName_;
};

}  // namespace talmo
