// clsString: trimming, template extraction, number increment, URL and quoted-printable
// coding, and whole-file reading.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>

#include "automation/automation_error.h"
#include "automation/text.h"
#include "util/cls_string.h"

namespace talmo {
namespace {

constexpr auto npos = std::u16string_view::npos;
// The standard "Path/File access error": a file that exists but cannot be read.
constexpr int32_t kPathFileAccessError = 75;

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

std::u16string Ascii(std::string_view s) { return std::u16string(s.begin(), s.end()); }

int HexValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  return -1;
}

}  // namespace

std::u16string clsString::TrimString(std::u16string_view text, std::u16string_view lead,
                                     std::optional<std::u16string_view> trail) const {
  std::u16string_view tail = trail.value_or(lead);
  if (!lead.empty()) {
    while (text.starts_with(lead)) text.remove_prefix(lead.size());
  }
  if (!tail.empty()) {
    while (text.ends_with(tail)) text.remove_suffix(tail.size());
  }
  return std::u16string(text);
}

std::u16string clsString::ExtractByTemplate(std::u16string& text, std::u16string_view templateText,
                                            std::u16string_view placeholder, bool consume) const {
  size_t at = placeholder.empty() ? npos : templateText.find(placeholder);
  if (at == npos) return {};
  std::u16string_view before = templateText.substr(0, at);
  std::u16string_view after = templateText.substr(at + placeholder.size());
  size_t start = std::u16string_view(text).find(before);
  if (start == npos) return {};
  std::u16string_view rest = std::u16string_view(text).substr(start + before.size());
  if (after.empty()) {
    std::u16string result(rest);
    if (consume) text.clear();
    return result;
  }
  size_t end = rest.find(after);
  if (end == npos) return {};
  std::u16string result(rest.substr(0, end));
  if (consume) text = std::u16string(rest.substr(end + after.size()));
  return result;
}

std::u16string clsString::IncrementNumber(std::u16string_view text, int32_t step) const {
  size_t start = text.size();
  while (start > 0 && IsDigit(text[start - 1])) --start;
  std::u16string_view digits = text.substr(start);
  // The standard conversion: no digits at all is a type mismatch, too many an overflow.
  int64_t value = automation::Variant(std::u16string(digits)).ToLong();
  value += step;
  if (value > std::numeric_limits<int32_t>::max() || value < std::numeric_limits<int32_t>::min()) {
    automation::RaiseStandard(automation::error::kOverflow);
  }
  // At least as wide as the old number; the zeros go after a minus sign, not before it.
  std::u16string sign = value < 0 ? u"-" : u"";
  std::u16string magnitude = Ascii(std::to_string(value < 0 ? -value : value));
  if (sign.size() + magnitude.size() < digits.size()) {
    magnitude.insert(0, digits.size() - sign.size() - magnitude.size(), u'0');
  }
  return std::u16string(text.substr(0, start)) + sign + magnitude;
}

std::u16string clsString::UrlEncode(std::u16string_view text) const {
  if (text.size() > 32767) automation::RaiseStandard(automation::error::kOverflow);
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::u16string encoded;
  encoded.reserve(text.size());
  // One byte per UTF-16 code unit; a character the code page lacks has the code of '?'.
  std::string codes = automation::ToAnsi(text);
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    uint8_t code = static_cast<uint8_t>(codes[i]);
    if (code == 32) {
      encoded += u'+';
    } else if (code <= 47 || code >= 128) {
      encoded += u'%';
      if (code >= 16) encoded += static_cast<char16_t>(kHex[code >> 4]);
      encoded += static_cast<char16_t>(kHex[code & 0xF]);
    } else {
      encoded += c;
    }
  }
  return encoded;
}

std::u16string clsString::DecodeQuotedPrintable(std::u16string_view text) const {
  std::u16string joined;
  joined.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text.substr(i, 3) == u"=\r\n") {
      i += 2;
      continue;
    }
    joined += text[i];
  }
  std::u16string decoded;
  decoded.reserve(joined.size());
  size_t pos = 0;
  for (size_t eq = joined.find(u'='); eq != npos; eq = joined.find(u'=', pos)) {
    decoded.append(joined, pos, eq - pos);
    int high = eq + 1 < joined.size() ? HexValue(joined[eq + 1]) : -1;
    int low = eq + 2 < joined.size() ? HexValue(joined[eq + 2]) : -1;
    if (high < 0 || low < 0) automation::RaiseStandard(automation::error::kTypeMismatch);
    char byte = static_cast<char>(high * 16 + low);
    decoded += automation::FromAnsi(std::string_view(&byte, 1));
    pos = eq + 3;
  }
  decoded.append(joined, pos);
  return decoded;
}

std::u16string clsString::ReadFileText(std::u16string_view fileName) const {
  std::filesystem::path path(automation::ToUtf8(fileName));
  std::error_code ec;
  if (fileName.empty() || !std::filesystem::exists(path, ec)) {
    automation::RaiseStandard(automation::error::kFileNotFound);
  }
  if (std::filesystem::is_directory(path, ec)) automation::RaiseStandard(kPathFileAccessError);
  std::ifstream in(path, std::ios::binary);
  if (!in) automation::RaiseStandard(kPathFileAccessError);
  std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (in.bad()) automation::RaiseStandard(kPathFileAccessError);
  return automation::FromAnsi(bytes);
}

}  // namespace talmo
