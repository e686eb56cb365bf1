// UTF-8 / UTF-16 conversion and the single-byte code pages.
//
// A single-byte code page is turned into two lookup tables once, by asking iconv for each
// of the 256 bytes; after that every conversion is a table look-up, one byte per character.
#include "automation/text.h"

#include <iconv.h>

#include <array>
#include <cerrno>
#include <map>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "automation/automation_error.h"

namespace automation {
namespace {

constexpr char16_t kReplacement = u'\uFFFD';

struct CodePageTables {
  std::array<char16_t, 256> toUnicode{};
  std::unordered_map<char16_t, unsigned char> fromUnicode;
};

// Decodes one byte with iconv; a byte the code page leaves undefined maps to the control
// character of the same number, as the platform does, so that every byte survives a round
// trip.
char16_t DecodeByte(iconv_t cd, unsigned char byte) {
  char in[1] = {static_cast<char>(byte)};
  char out[8] = {};
  char* inPtr = in;
  char* outPtr = out;
  size_t inLeft = 1;
  size_t outLeft = sizeof out;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1) ||
      sizeof out - outLeft != 2) {
    return static_cast<char16_t>(byte);
  }
  return static_cast<char16_t>(static_cast<unsigned char>(out[0]) |
                               (static_cast<unsigned char>(out[1]) << 8));
}

std::shared_ptr<const CodePageTables> BuildTables(const std::string& iconvName) {
  iconv_t cd = iconv_open("UTF-16LE", iconvName.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    throw AutomationError(error::kInvalidProcedureCall, u"",
                          u"Unknown code page: " + FromUtf8(iconvName));
  }
  auto tables = std::make_shared<CodePageTables>();
  for (int b = 0; b < 256; ++b) {
    char16_t c = DecodeByte(cd, static_cast<unsigned char>(b));
    tables->toUnicode[b] = c;
    tables->fromUnicode.emplace(c, static_cast<unsigned char>(b));
  }
  iconv_close(cd);
  return tables;
}

// Tables are built once per code page name and kept for the process.
std::shared_ptr<const CodePageTables> TablesFor(const std::string& iconvName) {
  static std::mutex mutex;
  static std::map<std::string, std::shared_ptr<const CodePageTables>> cache;
  std::lock_guard lock(mutex);
  auto it = cache.find(iconvName);
  if (it != cache.end()) return it->second;
  auto tables = BuildTables(iconvName);
  cache.emplace(iconvName, tables);
  return tables;
}

struct AnsiState {
  std::mutex mutex;
  std::string name = "CP1250";
  std::shared_ptr<const CodePageTables> tables;
};

AnsiState& Ansi() {
  static AnsiState state;
  return state;
}

std::shared_ptr<const CodePageTables> AnsiTables() {
  AnsiState& state = Ansi();
  std::lock_guard lock(state.mutex);
  if (!state.tables) state.tables = TablesFor(state.name);
  return state.tables;
}

std::u16string Decode(std::string_view bytes, const CodePageTables& tables) {
  std::u16string text(bytes.size(), u'\0');
  for (size_t i = 0; i < bytes.size(); ++i) {
    text[i] = tables.toUnicode[static_cast<unsigned char>(bytes[i])];
  }
  return text;
}

// A character the code page lacks becomes '?'; so does each half of a surrogate pair,
// since no single-byte code page holds characters outside the basic plane.
std::string Encode(std::u16string_view text, const CodePageTables& tables) {
  std::string bytes(text.size(), '?');
  for (size_t i = 0; i < text.size(); ++i) {
    auto it = tables.fromUnicode.find(text[i]);
    if (it != tables.fromUnicode.end()) bytes[i] = static_cast<char>(it->second);
  }
  return bytes;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

void AppendUtf16(std::u16string& out, char32_t c) {
  if (c < 0x10000) {
    out += static_cast<char16_t>(c);
  } else {
    c -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (c >> 10));
    out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
  }
}

}  // namespace

// Malformed input (bad lead or continuation bytes, overlong forms, surrogates, values
// above U+10FFFF) becomes U+FFFD per malformed sequence; nothing is dropped silently.
std::u16string FromUtf8(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  size_t i = 0;
  const size_t n = utf8.size();
  while (i < n) {
    const unsigned char lead = static_cast<unsigned char>(utf8[i]);
    if (lead < 0x80) {
      out += static_cast<char16_t>(lead);
      ++i;
      continue;
    }
    int extra = 0;
    char32_t c = 0;
    char32_t min = 0;
    if ((lead & 0xE0) == 0xC0) {
      extra = 1, c = lead & 0x1F, min = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
      extra = 2, c = lead & 0x0F, min = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
      extra = 3, c = lead & 0x07, min = 0x10000;
    } else {
      out += kReplacement;
      ++i;
      continue;
    }
    size_t j = i + 1;
    int got = 0;
    while (got < extra && j < n && (static_cast<unsigned char>(utf8[j]) & 0xC0) == 0x80) {
      c = (c << 6) | (static_cast<unsigned char>(utf8[j]) & 0x3F);
      ++j, ++got;
    }
    if (got < extra || c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
      out += kReplacement;
    } else {
      AppendUtf16(out, c);
    }
    i = j;
  }
  return out;
}

// A lone surrogate becomes U+FFFD.
std::string ToUtf8(std::u16string_view utf16) {
  std::string out;
  out.reserve(utf16.size());
  for (size_t i = 0; i < utf16.size(); ++i) {
    char32_t c = utf16[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
        utf16[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = kReplacement;
    }
    AppendUtf8(out, c);
  }
  return out;
}

std::string ToAnsi(std::u16string_view text) { return Encode(text, *AnsiTables()); }

std::u16string FromAnsi(std::string_view bytes) { return Decode(bytes, *AnsiTables()); }

void SetAnsiCodePage(const std::string& iconvName) {
  auto tables = TablesFor(iconvName);  // throws before anything changes
  AnsiState& state = Ansi();
  std::lock_guard lock(state.mutex);
  state.name = iconvName;
  state.tables = std::move(tables);
}

const std::string& AnsiCodePage() {
  AnsiState& state = Ansi();
  std::lock_guard lock(state.mutex);
  return state.name;
}

std::u16string DecodeCodePage(std::string_view bytes, const std::string& iconvName) {
  return Decode(bytes, *TablesFor(iconvName));
}

std::string EncodeCodePage(std::u16string_view text, const std::string& iconvName) {
  return Encode(text, *TablesFor(iconvName));
}

char16_t FoldCase(char16_t c) noexcept {
  if (c < 0x80) return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 0x20) : c;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<char16_t>(c + 0x20);
  if (c == 0x178) return 0xFF;
  // Latin Extended-A pairs an upper-case letter with the lower-case one after it; the
  // pairs start on an even code point except in the two runs 0x139-0x148 and 0x179-0x17E.
  const bool oddRun = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
  if (c >= 0x100 && c <= 0x17F && c != 0x130 && c != 0x131 && c != 0x138 && c != 0x149 &&
      c != 0x17F) {
    const bool upper = oddRun ? (c % 2 == 1) : (c % 2 == 0);
    return upper ? static_cast<char16_t>(c + 1) : c;
  }
  if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return static_cast<char16_t>(c + 0x20);
  if (c >= 0x410 && c <= 0x42F) return static_cast<char16_t>(c + 0x20);
  if (c >= 0x400 && c <= 0x40F) return static_cast<char16_t>(c + 0x50);
  return c;
}

bool EqualsIgnoreCase(std::u16string_view a, std::u16string_view b) noexcept {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i] && FoldCase(a[i]) != FoldCase(b[i])) return false;
  }
  return true;
}

}  // namespace automation
