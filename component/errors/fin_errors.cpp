#include "errors/fin_errors.h"

#include <array>
#include <exception>
#include <optional>
#include <string>

#include "automation/automation_error.h"
#include "errors/component_error.h"
#include "session/global.h"

namespace talmo {
namespace {

constexpr int32_t kModuleSize = 65536;

// The loaded message texts; empty until the first error that needs them loads the file.
std::optional<ErrorTextMap>& ErrorTexts() {
  static std::optional<ErrorTextMap> texts;
  return texts;
}

// Writes `value` in decimal (with a leading minus sign) at `out`; returns the end.
char16_t* WriteDecimal(int32_t value, char16_t* out) {
  char16_t digits[11];
  int count = 0;
  int64_t magnitude = value < 0 ? -static_cast<int64_t>(value) : value;
  do {
    digits[count++] = static_cast<char16_t>(u'0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (value < 0) *out++ = u'-';
  while (count > 0) *out++ = digits[--count];
  return out;
}

// An error key built without allocating: the check runs after every client call, and
// accepted errors ("record not found") are part of normal work.
class KeyText {
 public:
  KeyText(int32_t module, int32_t number) {
    char16_t* end = WriteDecimal(module, buffer_.data());
    *end++ = u'.';
    end = WriteDecimal(number, end);
    size_ = static_cast<size_t>(end - buffer_.data());
  }
  std::u16string_view view() const noexcept { return {buffer_.data(), size_}; }

 private:
  std::array<char16_t, 24> buffer_{};
  size_t size_ = 0;
};

// True when `entries` (comma-separated keys) holds `key` as a whole entry.
bool ListsKey(std::u16string_view entries, std::u16string_view key) {
  while (true) {
    const size_t comma = entries.find(u',');
    if (entries.substr(0, comma) == key) return true;
    if (comma == std::u16string_view::npos) return false;
    entries.remove_prefix(comma + 1);
  }
}

bool IsAccepted(Directives directives, std::u16string_view key) {
  for (std::u16string_view directive : directives) {
    const size_t semicolon = directive.find(u';');
    if (semicolon == std::u16string_view::npos) continue;
    if (directive.substr(0, semicolon) == u"OK" && ListsKey(directive.substr(semicolon + 1), key)) {
      return true;
    }
  }
  return false;
}

void ReplaceAll(std::u16string& text, std::u16string_view pattern, std::u16string_view value) {
  size_t from = 0;
  while ((from = text.find(pattern, from)) != std::u16string::npos) {
    text.replace(from, pattern.size(), value);
    from += value.size();
  }
}

std::u16string CurrentNavisionPath() {
  // Without a current Database (after the connection was closed) the path is empty, so the
  // client's error is still reported rather than replaced by "object not set".
  automation::Ref<Database> database = global::CurrentDatabase();
  return database ? database->NavisionPath() : std::u16string();
}

std::u16string DecimalText(int32_t value) {
  char16_t buffer[12];
  return std::u16string(buffer, WriteDecimal(value, buffer));
}

}  // namespace

std::u16string ErrorKey(int32_t code) {
  const int32_t number = code % kModuleSize;
  return std::u16string(KeyText((code - number) / kModuleSize, number).view());
}

void CheckClientError(int32_t code, Directives directives) {
  if (code == 0) return;
  const int32_t number = code % kModuleSize;
  const int32_t module = (code - number) / kModuleSize;
  const KeyText key(module, number);
  if (IsAccepted(directives, key.view())) return;

  if (DbClient()) PutClientFlag(client_member::kErrorDisplay, false);

  std::optional<ErrorTextMap>& texts = ErrorTexts();
  if (!texts) {
    try {
      texts = LoadErrorTexts(CurrentNavisionPath() + u"/fin.etx");
    } catch (const std::exception&) {
      // Left unloaded: the next error tries again.
    }
  }
  const ErrorTextMap::const_iterator entry =
      texts ? texts->find(std::u16string(key.view())) : ErrorTextMap::const_iterator();
  if (!texts || entry == texts->end()) {
    RaiseClientError(number, u"Unknown error " + DecimalText(number) + u" in module " +
                                 DecimalText(module) + u"\r\n:" + CurrentNavisionPath());
  }
  std::u16string text = entry->second;
  for (std::u16string_view directive : directives) {
    const size_t semicolon = directive.find(u';');
    if (semicolon == std::u16string_view::npos) continue;
    const std::u16string_view prefix = directive.substr(0, semicolon);
    if (prefix == u"OK") continue;
    ReplaceAll(text, u"%" + std::u16string(prefix), directive.substr(semicolon + 1));
  }
  RaiseClientError(number, std::move(text));
}

void ForgetErrorTexts() noexcept { ErrorTexts().reset(); }

}  // namespace talmo
