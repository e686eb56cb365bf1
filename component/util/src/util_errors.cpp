#include "util_errors.h"

#include <string>

#include "automation/automation_error.h"

namespace talmo::util_errors {
namespace {

[[noreturn]] void Raise(int32_t number, std::u16string_view source, std::u16string description) {
  throw automation::AutomationError(number, std::u16string(source), std::move(description));
}

std::u16string Decimal(int32_t n) {
  std::string ascii = std::to_string(n);
  return std::u16string(ascii.begin(), ascii.end());
}

std::u16string IniDescription(std::u16string_view lead, std::u16string_view fileName,
                              std::u16string_view section, std::u16string_view key) {
  std::u16string d(lead);
  d += fileName;
  d += u". Sekce='";
  d += section;
  d += u"', Klíč='";
  d += key;
  d += u"'.";
  return d;
}

}  // namespace

void RaiseIniRead(std::u16string_view source, std::u16string_view fileName,
                  std::u16string_view section, std::u16string_view key) {
  Raise(10101, source, IniDescription(u"Chyba při čtení z INI souboru ", fileName, section, key));
}

void RaiseIniWrite(std::u16string_view source, std::u16string_view fileName,
                   std::u16string_view section, std::u16string_view key) {
  Raise(10102, source, IniDescription(u"Chyba při zápisu do INI souboru ", fileName, section, key));
}

void RaiseUnknownCodePage(std::u16string_view source, int32_t codePage) {
  Raise(999, source, u"Neznámá kódová stránka " + Decimal(codePage));
}

void RaiseNoFileName(std::u16string_view source, std::u16string_view fileName) {
  Raise(10201, source, u"Nebyl zadán název souboru (" + std::u16string(fileName) + u")");
}

void RaiseUnexpectedEnd(std::u16string_view source, std::u16string_view rest) {
  Raise(10203, source, u"Nečekaný konec zpracovávané řádky: " + std::u16string(rest));
}

void RaiseBadSeparator(std::u16string_view source, std::u16string_view rest) {
  Raise(10204, source, u"Chybný oddělovač: " + std::u16string(rest));
}

}  // namespace talmo::util_errors
