// The one exception type that leaves every public member of our automation objects.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

namespace automation {

// Numbers of the standard run-time errors that the Parts of the system rely on.
namespace error {
inline constexpr int32_t kInvalidProcedureCall = 5;
inline constexpr int32_t kOverflow = 6;
inline constexpr int32_t kOutOfMemory = 7;
inline constexpr int32_t kSubscriptOutOfRange = 9;
inline constexpr int32_t kDivisionByZero = 11;
inline constexpr int32_t kTypeMismatch = 13;
inline constexpr int32_t kFileNotFound = 53;
inline constexpr int32_t kPathFileAccess = 75;
inline constexpr int32_t kObjectNotSet = 91;
inline constexpr int32_t kInvalidUseOfNull = 94;
inline constexpr int32_t kObjectRequired = 424;
inline constexpr int32_t kCannotCreateObject = 429;
inline constexpr int32_t kMemberNotFound = 438;
inline constexpr int32_t kArgumentMissing = 448;
inline constexpr int32_t kArgumentNotOptional = 449;
inline constexpr int32_t kWrongArgumentCount = 450;
}  // namespace error

// An automation error: number, source and description, as a client reads them back.
class AutomationError : public std::exception {
 public:
  AutomationError(int32_t number, std::u16string source, std::u16string description);

  // The standard error `number` with its usual English text and an empty source.
  static AutomationError Standard(int32_t number);

  int32_t number() const noexcept { return number_; }
  const std::u16string& source() const noexcept { return source_; }
  const std::u16string& description() const noexcept { return description_; }

  // "<number>: <description>" in UTF-8, for logs and test failure messages.
  const char* what() const noexcept override { return what_.c_str(); }

 private:
  int32_t number_;
  std::u16string source_;
  std::u16string description_;
  std::string what_;
};

// The usual English text of a standard error ("Overflow" for 6); "Application-defined or
// object-defined error" for numbers without one.
std::u16string StandardErrorText(int32_t number);

// Throws AutomationError::Standard(number).
[[noreturn]] void RaiseStandard(int32_t number);

}  // namespace automation
