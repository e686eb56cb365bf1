// clsString: letters converted between the code-page tables.
#include "code_page_tables.h"
#include "util/cls_string.h"
#include "util_errors.h"

namespace talmo {

automation::Variant clsString::ConvertCodePage(std::u16string_view text, int32_t source,
                                               int32_t target) const {
  return TranslateChars(text, CodePageTable(source), CodePageTable(target));
}

std::u16string clsString::CodePageTable(int32_t codePage) const {
  std::optional<std::u16string_view> table = code_pages::Table(codePage);
  if (!table) util_errors::RaiseUnknownCodePage(errorSource_, codePage);
  return std::u16string(*table);
}

automation::Variant clsString::TranslateChars(std::u16string_view text, std::u16string_view from,
                                              std::u16string_view to) const {
  std::u16string translated(text);
  for (char16_t& c : translated) {
    size_t k = from.find(c);
    if (k != std::u16string_view::npos && k < to.size()) c = to[k];
  }
  return automation::Variant(std::move(translated));
}

}  // namespace talmo
