// The component's folder and its one `clsIniFile` and `clsString`, created on first use and
// kept for the process.
#pragma once

#include <string>

#include "util/cls_ini_file.h"
#include "util/cls_string.h"

namespace talmo {

// The folder of the component's own library file, without a trailing separator.
const std::u16string& ComponentFolder();

clsIniFile& SharedIniFile();
const clsString& SharedString();

}  // namespace talmo
