// A checksum over the values a workload read or wrote, equal on both sides only when both
// saw the same values: texts by code point (so UTF-16 and UTF-8 forms agree), numbers to
// four decimals, the precision of the client's decimals.
#pragma once

#include <cmath>
#include <cstdint>
#include <string_view>

namespace talmo_bench {

class Checksum {
 public:
  void AddInteger(int64_t value) noexcept { Mix(static_cast<uint64_t>(value)); }
  void AddNumber(double value) noexcept { AddInteger(std::llround(value * 10000.0)); }
  void AddText(std::u16string_view text) noexcept;
  void AddText(std::string_view utf8) noexcept;

  uint64_t value() const noexcept { return value_; }
  friend bool operator==(const Checksum&, const Checksum&) = default;

 private:
  // FNV-1a over 64-bit words.
  void Mix(uint64_t word) noexcept {
    value_ ^= word;
    value_ *= 0x100000001b3ULL;
  }
  void EndText(uint64_t length) noexcept { Mix(length | (uint64_t{1} << 63)); }

  uint64_t value_ = 0xcbf29ce484222325ULL;
};

inline void Checksum::AddText(std::u16string_view text) noexcept {
  uint64_t length = 0;
  for (size_t i = 0; i < text.size(); ++i, ++length) {
    uint32_t c = text[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size()) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    }
    Mix(c);
  }
  EndText(length);
}

inline void Checksum::AddText(std::string_view utf8) noexcept {
  uint64_t length = 0;
  for (size_t i = 0; i < utf8.size(); ++length) {
    const auto lead = static_cast<unsigned char>(utf8[i++]);
    const int extra = lead < 0x80 ? 0 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : 3;
    uint32_t c = extra == 0 ? lead : lead & (0x3F >> extra);
    for (int k = 0; k < extra && i < utf8.size(); ++k) {
      c = (c << 6) | (static_cast<unsigned char>(utf8[i++]) & 0x3F);
    }
    Mix(c);
  }
  EndText(length);
}

}  // namespace talmo_bench
