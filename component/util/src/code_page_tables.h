// The four code-page tables of clsString: 57 characters each, aligned by position, so a
// letter converts by taking the same position in another table.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace talmo::code_pages {

inline constexpr size_t kTableLength = 57;

// The table of code page 0, 1, 2 or 9; nullopt for any other number.
std::optional<std::u16string_view> Table(int32_t codePage);

}  // namespace talmo::code_pages
