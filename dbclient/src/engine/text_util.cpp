#include "engine/text_util.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace dbclient::text {

std::string ToUtf8(std::u16string_view text) {
  std::string out;
  AssignToUtf8(text, &out);
  return out;
}

void AssignToUtf8(std::u16string_view text, std::string* utf8) {
  std::string& out = *utf8;
  out.clear();
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    uint32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;  // a lone surrogate has no UTF-8 form
    }
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (c >> 12)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (c >> 18)));
      out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
}

std::u16string WellFormed(std::u16string_view text) {
  std::u16string out(text);
  for (size_t i = 0; i < out.size(); ++i) {
    const bool high = out[i] >= 0xD800 && out[i] <= 0xDBFF;
    if (high && i + 1 < out.size() && out[i + 1] >= 0xDC00 && out[i + 1] <= 0xDFFF) {
      ++i;
    } else if ((out[i] >= 0xD800 && out[i] <= 0xDFFF) || out[i] >= 0xFFFE) {
      out[i] = 0xFFFD;
    }
  }
  return out;
}

std::u16string FromUtf8(std::string_view text) {
  std::u16string out;
  AssignFromUtf8(text, &out);
  return out;
}

void AssignFromUtf8(std::string_view text, std::u16string* result) {
  // No sequence gives more UTF-16 units than it has bytes: the result fits in text.size().
  std::u16string& out = *result;
  out.resize(text.size());
  char16_t* const to = out.data();
  const auto* const from = reinterpret_cast<const unsigned char*>(text.data());
  const size_t size = text.size();
  constexpr size_t kChunk = sizeof(uint64_t);
  const auto asciiChunk = [from](size_t at) {  // whether the kChunk bytes from `at` are ASCII
    uint64_t chunk = 0;
    std::memcpy(&chunk, from + at, kChunk);
    return (chunk & 0x8080808080808080u) == 0;
  };
  size_t n = 0;
  size_t i = 0;
  while (i < size) {
    const unsigned char b = from[i];
    if (b < 0x80) {
      // Most stored text is ASCII: a chunk at a time while none has its high bit set.
      for (; size - i >= kChunk && asciiChunk(i); i += kChunk, n += kChunk) {
        for (size_t k = 0; k < kChunk; ++k) to[n + k] = from[i + k];
      }
      while (i < size && from[i] < 0x80) to[n++] = from[i++];
      continue;
    }
    // Two bytes, the rest of the Latin alphabets: checked and decoded at once.
    if (b >= 0xC2 && b < 0xE0 && i + 1 < size && (from[i + 1] & 0xC0) == 0x80) {
      to[n++] = static_cast<char16_t>(((b & 0x1F) << 6) | (from[i + 1] & 0x3F));
      i += 2;
      continue;
    }
    uint32_t c = 0xFFFD;
    size_t extra = 0;
    uint32_t min = 0;
    if ((b & 0xE0) == 0xC0) {
      c = b & 0x1F, extra = 1, min = 0x80;
    } else if ((b & 0xF0) == 0xE0) {
      c = b & 0x0F, extra = 2, min = 0x800;
    } else if ((b & 0xF8) == 0xF0) {
      c = b & 0x07, extra = 3, min = 0x10000;
    }
    size_t used = 1;
    if (extra > 0) {
      bool valid = true;
      for (size_t k = 1; k <= extra; ++k) {
        if (i + k >= size) {
          valid = false;
          break;
        }
        const auto t = from[i + k];
        if ((t & 0xC0) != 0x80) {
          valid = false;
          break;
        }
        c = (c << 6) | (t & 0x3F);
      }
      if (valid && c >= min && c <= 0x10FFFF && !(c >= 0xD800 && c <= 0xDFFF)) {
        used = extra + 1;
      } else {
        c = 0xFFFD;
      }
    }
    i += used;
    if (c >= 0x10000) {
      c -= 0x10000;
      to[n++] = static_cast<char16_t>(0xD800 + (c >> 10));
      to[n++] = static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    } else {
      to[n++] = static_cast<char16_t>(c);
    }
  }
  out.resize(n);
}

namespace {

// Latin Extended-A pairs its letters as (upper, lower) at even/odd or odd/even positions.
bool ExtendedAUpperIsEven(char16_t c) {
  return (c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177);
}
bool ExtendedAUpperIsOdd(char16_t c) {
  return (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
}

}  // namespace

char16_t ToUpper(char16_t c) {
  if (c < 0x80) return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<char16_t>(c - 32);
  if (c == 0xFF) return 0x178;
  if (c == 0x130 || c == 0x131) return c;  // dotted and dotless i keep their own forms
  if (ExtendedAUpperIsEven(c)) return (c % 2 == 1) ? static_cast<char16_t>(c - 1) : c;
  if (ExtendedAUpperIsOdd(c)) return (c % 2 == 0) ? static_cast<char16_t>(c - 1) : c;
  if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return static_cast<char16_t>(c - 32);  // Greek
  if (c >= 0x430 && c <= 0x44F) return static_cast<char16_t>(c - 32);                // Cyrillic
  if (c >= 0x450 && c <= 0x45F) return static_cast<char16_t>(c - 80);
  return c;
}

char16_t ToLower(char16_t c) {
  if (c < 0x80) return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<char16_t>(c + 32);
  if (c == 0x178) return 0xFF;
  if (c == 0x130 || c == 0x131) return c;
  if (ExtendedAUpperIsEven(c)) return (c % 2 == 0) ? static_cast<char16_t>(c + 1) : c;
  if (ExtendedAUpperIsOdd(c)) return (c % 2 == 1) ? static_cast<char16_t>(c + 1) : c;
  if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) return static_cast<char16_t>(c + 32);
  if (c >= 0x410 && c <= 0x42F) return static_cast<char16_t>(c + 32);
  if (c >= 0x400 && c <= 0x40F) return static_cast<char16_t>(c + 80);
  return c;
}

std::u16string ToUpper(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out) c = ToUpper(c);
  return out;
}

std::u16string Fold(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out) c = ToLower(c);
  return out;
}

bool EqualsIgnoreCase(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(),
                    [](char16_t x, char16_t y) { return ToLower(x) == ToLower(y); });
}

std::u16string_view TrimBlanks(std::u16string_view text) {
  const auto blank = [](char16_t c) { return c == u' ' || c == u'\t'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

int CompareCodePoints(std::u16string_view a, std::u16string_view b) {
  // Surrogates (D800-DFFF) encode code points above FFFF, so they must sort after E000-FFFF:
  // shifting both ranges restores code-point order without decoding.
  const auto key = [](char16_t c) -> uint32_t {
    if (c >= 0xE000) return c - 0x800u;
    if (c >= 0xD800) return c + 0x2000u;
    return c;
  };
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    if (a[i] != b[i]) return key(a[i]) < key(b[i]) ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

}  // namespace dbclient::text
