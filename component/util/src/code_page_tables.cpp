#include "code_page_tables.h"

#include <iterator>

namespace talmo::code_pages {
namespace {

// Windows letters. Positions 23 and 48 are group separators that map to themselves.
constexpr std::u16string_view kWindows =
    u"aáÁeéÉěĚiíÍoóÓuúÚůŮyýÝ|cčČdďĎlľĽnňŇrřŘsšŠtťŤzžŽ|äëöüÄËÖÜß";

// For each Windows letter, the Windows-1250 character whose byte is that letter's byte in
// code page 852: a text read from an 852 file as Windows-1250 shows these characters.
// Given by code point because several are control or typographic characters.
constexpr char16_t kCp852[] = {
    0x0061, 0x00A0, 0x00B5, 0x0065, 0x201A, 0x0090, 0x0158, 0x00B7,  // a á Á e é É ě Ě
    0x0069, 0x02C7, 0x00D6, 0x006F, 0x02D8, 0x0155,                  // i í Í o ó Ó
    0x0075, 0x0141, 0x00E9, 0x2026, 0x0162,                          // u ú Ú ů Ů
    0x0079, 0x011B, 0x00ED, 0x007C,                                  // y ý Ý |
    0x0063, 0x017A, 0x00AC, 0x0064, 0x00D4, 0x0147,                  // c č Č d ď Ď
    0x006C, 0x2013, 0x2022, 0x006E, 0x013A, 0x0150,                  // l ľ Ľ n ň Ň
    0x0072, 0x00FD, 0x00FC, 0x0073, 0x00E7, 0x0107,                  // r ř Ř s š Š
    0x0074, 0x015B, 0x203A, 0x007A, 0x00A7, 0x00A6, 0x007C,          // t ť Ť z ž Ž |
    0x201E, 0x2030, 0x201D, 0x0081, 0x017D, 0x00D3, 0x2122, 0x0161,  // ä ë ö ü Ä Ë Ö Ü
    0x00E1,                                                          // ß
};

// The same construction for the Kamenický code page; ë and Ë, which it lacks, carry their
// code page 852 values.
constexpr char16_t kKamenicky[] = {
    0x0061, 0x00A0, 0x0179, 0x0065, 0x201A, 0x0090, 0x0088, 0x2030,  // a á Á e é É ě Ě
    0x0069, 0x02C7, 0x2039, 0x006F, 0x02D8, 0x2022,                  // i í Í o ó Ó
    0x0075, 0x0141, 0x2014, 0x2013, 0x00A6,                          // u ú Ú ů Ů
    0x0079, 0x0098, 0x0165, 0x007C,                                  // y ý Ý |
    0x0063, 0x2021, 0x20AC, 0x0064, 0x0083, 0x2026,                  // c č Č d ď Ď
    0x006C, 0x015A, 0x015B, 0x006E, 0x00A4, 0x0104,                  // l ľ Ľ n ň Ň
    0x0072, 0x00A9, 0x017E, 0x0073, 0x00A8, 0x203A,                  // r ř Ř s š Š
    0x0074, 0x017A, 0x2020, 0x007A, 0x2018, 0x2019, 0x007C,          // t ť Ť z ž Ž |
    0x201E, 0x2030, 0x201D, 0x0081, 0x017D, 0x00D3, 0x2122, 0x0161,  // ä ë ö ü Ä Ë Ö Ü
    0x00E1,                                                          // ß
};

// Plain ASCII; the last position is "á", as in tables 1 and 2, not an ASCII letter.
constexpr std::u16string_view kAscii = u"aaAeeEeEiiIooOuuUuUyyY|ccCddDllLnnNrrRssSttTzzZ|aeouAEOUá";

static_assert(kWindows.size() == kTableLength);
static_assert(std::size(kCp852) == kTableLength);
static_assert(std::size(kKamenicky) == kTableLength);
static_assert(kAscii.size() == kTableLength);

}  // namespace

std::optional<std::u16string_view> Table(int32_t codePage) {
  switch (codePage) {
    case 0:
      return kWindows;
    case 1:
      return std::u16string_view(kCp852, kTableLength);
    case 2:
      return std::u16string_view(kKamenicky, kTableLength);
    case 9:
      return kAscii;
    default:
      return std::nullopt;
  }
}

}  // namespace talmo::code_pages
