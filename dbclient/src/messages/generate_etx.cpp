// Build-time generator of the client's message file fin.etx from the error-code list.
//
//   dbclient_etx_generator cs|en <output file>
//
// The file is code page 852 text with CR LF line ends. Each module is a block that starts
// with the line "@1@<module>@<title>" and ends with the line "@2@END@0@"; inside, each
// message is the line "@2@<number>@<name>" followed by its text, one or more lines. The
// generator refuses (exit status 1) a message that the format cannot carry: an empty text, a
// line starting with "@", a key listed twice, or a letter that code page 852 lacks.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "automation/text.h"
#include "error_codes.h"

namespace {

using dbclient::errc::ErrorInfo;

constexpr char kCodePage[] = "CP852";

struct ModuleTitle {
  int32_t module;
  std::string_view english;
  std::string_view czech;
};

constexpr ModuleTitle kModuleTitles[] = {
    {19, "Records", "Záznamy"},        {20, "Connection", "Připojení"},
    {21, "Schema", "Schéma"},          {22, "Values", "Hodnoty"},
    {23, "Filters", "Filtry"},         {24, "Searching", "Hledání"},
    {25, "Transactions", "Transakce"}, {26, "Handles", "Identifikátory"},
};

std::string Title(int32_t module, bool czech) {
  for (const ModuleTitle& title : kModuleTitles) {
    if (title.module == module) return std::string(czech ? title.czech : title.english);
  }
  return (czech ? "Modul " : "Module ") + std::to_string(module);
}

bool Refuse(const std::string& why) {
  std::fprintf(stderr, "dbclient_etx_generator: %s\n", why.c_str());
  return false;
}

// Appends the message text as CR LF lines; false when the format cannot carry it.
bool AppendText(const ErrorInfo& info, std::string_view text, std::string& out) {
  const std::string key = std::to_string(info.module) + "." + std::to_string(info.number);
  if (text.empty()) return Refuse("empty text for " + key);
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.front() == '@') return Refuse("a line starts with @ in " + key);
    out.append(line);
    out += "\r\n";
    start = end + 1;
  }
  return true;
}

// The whole file as UTF-8, modules and messages in ascending order.
bool BuildFile(bool czech, std::string& out) {
  std::map<int32_t, std::map<int32_t, const ErrorInfo*>> modules;
  for (const ErrorInfo& info : dbclient::errc::kAll) {
    if (!modules[info.module].emplace(info.number, &info).second) {
      return Refuse("key " + std::to_string(info.module) + "." + std::to_string(info.number) +
                    " is listed twice");
    }
  }
  out = czech ? "Chybová hlášení databázového klienta\r\n" : "Messages of the database client\r\n";
  for (const auto& [module, messages] : modules) {
    out += "@1@" + std::to_string(module) + "@" + Title(module, czech) + "\r\n";
    for (const auto& [number, info] : messages) {
      out += "@2@" + std::to_string(number) + "@" + std::string(info->name) + "\r\n";
      if (!AppendText(*info, czech ? info->czech : info->english, out)) return false;
    }
    out += "@2@END@0@\r\n";
  }
  return true;
}

// Writes through a temporary file and a rename, so a failed build leaves no half file.
bool WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  const std::filesystem::path temporary = path.string() + ".tmp";
  {
    std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!file.flush()) return Refuse("cannot write " + temporary.string());
  }
  std::error_code error;
  std::filesystem::rename(temporary, path, error);
  if (error) return Refuse("cannot rename to " + path.string() + ": " + error.message());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string_view language = argc == 3 ? argv[1] : "";
  if (language != "cs" && language != "en") {
    std::fprintf(stderr, "usage: dbclient_etx_generator cs|en <output file>\n");
    return 2;
  }
  std::string utf8;
  if (!BuildFile(language == "cs", utf8)) return 1;
  const std::u16string text = automation::FromUtf8(utf8);
  const std::string bytes = automation::EncodeCodePage(text, kCodePage);
  if (automation::DecodeCodePage(bytes, kCodePage) != text) {
    Refuse("a message holds a letter that code page 852 lacks");
    return 1;
  }
  return WriteFile(argv[2], bytes) ? 0 : 1;
}
