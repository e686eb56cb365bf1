// The loader of the client's message file: any bytes as fin.etx either load or fail with an
// automation error; a loaded file gives texts that each end with CR LF and never run into the
// next entry, under keys of the form module "." number.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "automation/automation_error.h"
#include "automation/text.h"
#include "errors/fin_errors.h"
#include "temp_folder.h"

namespace {

[[noreturn]] void Fail(const char* what, const std::u16string& detail) {
  std::fprintf(stderr, "%s: %s\n", what, automation::ToUtf8(detail).c_str());
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const talmo::testing::TempFolder folder;
  static const std::string path = folder.File("fin.etx");
  {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  talmo::ErrorTextMap texts;
  try {
    texts = talmo::LoadErrorTexts(automation::FromUtf8(path));
  } catch (const automation::AutomationError&) {
    return 0;
  }
  for (const auto& [key, text] : texts) {
    const size_t dot = key.find(u'.');
    if (dot == std::u16string::npos || key.find_first_of(u"@\r\n") != std::u16string::npos) {
      Fail("malformed key", key);
    }
    if (text.size() < 2 || text.compare(text.size() - 2, 2, u"\r\n") != 0) {
      Fail("text without its line end", key);
    }
    if (text.find(u"\r\n@2@") != std::u16string::npos) Fail("text runs into the next entry", key);
  }
  return 0;
}
