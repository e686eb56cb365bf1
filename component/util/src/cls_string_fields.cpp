// clsString: delimited lines with optional double-quoted fields.
#include <vector>

#include "util/cls_string.h"
#include "util_errors.h"

namespace talmo {

std::u16string clsString::NextField(std::u16string& line, std::u16string_view separator) const {
  std::u16string_view rest = line;
  std::u16string field;
  if (rest.empty()) return field;
  if (rest.front() != u'"') {
    // An empty separator never occurs, so the field is the whole line.
    size_t at = separator.empty() ? rest.npos : rest.find(separator);
    if (at == rest.npos) {
      field = rest;
      rest = {};
    } else {
      field = rest.substr(0, at);
      rest.remove_prefix(at + separator.size());
    }
  } else {
    rest.remove_prefix(1);
    for (;;) {
      size_t quote = rest.find(u'"');
      if (quote == rest.npos) util_errors::RaiseUnexpectedEnd(errorSource_, rest);
      field += rest.substr(0, quote);
      rest.remove_prefix(quote + 1);
      if (rest.empty()) break;
      if (rest.starts_with(separator)) {
        rest.remove_prefix(separator.size());
        break;
      }
      if (rest.front() != u'"') util_errors::RaiseBadSeparator(errorSource_, rest);
      field += u'"';
      rest.remove_prefix(1);
    }
  }
  // Only a complete field consumes the line; a failure leaves it as it was.
  line = std::u16string(rest);
  return field;
}

automation::Variant clsString::SplitFields(std::u16string_view line,
                                           std::u16string_view separator) const {
  std::u16string rest(line);
  std::vector<automation::Variant> fields;
  fields.reserve(21);
  while (!rest.empty()) fields.emplace_back(NextField(rest, separator));
  return automation::Variant(automation::VariantArray(std::move(fields), 0));
}

}  // namespace talmo
