// The client's message file: "@1@<module>@" header lines, "@2@<number>@" entry lines each
// followed by the lines of its text, and "@2@END@0@" closing every module.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>

#include "automation/automation_error.h"
#include "automation/text.h"
#include "errors/component_error.h"
#include "errors/fin_errors.h"
#include "session/shared_utilities.h"

namespace talmo {
namespace {

constexpr std::u16string_view kCrLf = u"\r\n";
constexpr std::u16string_view kModuleStart = u"@1@";
constexpr std::u16string_view kEntryStart = u"@2@";
constexpr std::u16string_view kModuleEnd = u"\r\n@2@END@0@";
// From the CR LF before "@2@END@0@" through the CR LF after it.
constexpr size_t kModuleEndLength = 13;
// Lines are gathered in a buffer of this many characters before they join the text.
constexpr size_t kWorkingBufferSize = 30000;
// The code-page tables: 1 is code page 852 as read in the 8-bit code page, 0 Windows.
constexpr int32_t kDosLatin2Table = 1;
constexpr int32_t kWindowsTable = 0;

constexpr int32_t kPathFileAccessError = 75;

[[noreturn]] void RaiseMalformed() { RaiseComponentError(u"Chyba v ETX souboru"); }

class OpenFile {
 public:
  explicit OpenFile(int fd) noexcept : fd_(fd) {}
  ~OpenFile() {
    if (fd_ >= 0) ::close(fd_);
  }
  OpenFile(const OpenFile&) = delete;
  OpenFile& operator=(const OpenFile&) = delete;
  int fd() const noexcept { return fd_; }

 private:
  int fd_;
};

// The bytes of the file at `path`, which must be a regular file of at most
// kMaxErrorTextFileSize bytes; anything else (a device, a FIFO, a folder, a larger file) is
// refused as a malformed message file without reading it.
std::string ReadBytes(const std::u16string& path) {
  // Without O_NONBLOCK, opening a FIFO would wait for a writer.
  const OpenFile file(
      ::open(automation::ToUtf8(path).c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (file.fd() < 0) automation::RaiseStandard(automation::error::kFileNotFound);
  struct stat status {};
  if (::fstat(file.fd(), &status) != 0) automation::RaiseStandard(kPathFileAccessError);
  if (!S_ISREG(status.st_mode) || status.st_size > static_cast<off_t>(kMaxErrorTextFileSize)) {
    RaiseMalformed();
  }
  // Read one byte past the bound, so that a file grown since fstat is refused too.
  std::string bytes(static_cast<size_t>(status.st_size) + 1, '\0');
  size_t size = 0;
  while (true) {
    if (size == bytes.size()) {
      if (size > kMaxErrorTextFileSize) RaiseMalformed();
      bytes.resize(std::min(bytes.size() * 2, kMaxErrorTextFileSize + 1));
    }
    const ssize_t n = ::read(file.fd(), bytes.data() + size, bytes.size() - size);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      automation::RaiseStandard(kPathFileAccessError);
    }
    size += static_cast<size_t>(n);
  }
  bytes.resize(size);
  return bytes;
}

// The file's lines, each followed by CR LF, read as the system's 8-bit code page. A line
// ends at CR LF, LF or CR.
std::u16string ReadLines(const std::u16string& path) {
  const std::u16string chars = automation::FromAnsi(ReadBytes(path));

  std::u16string text;
  std::u16string buffer;
  size_t start = 0;
  while (start < chars.size()) {
    size_t end = chars.find_first_of(u"\r\n", start);
    if (end == std::u16string::npos) end = chars.size();
    buffer.append(chars, start, end - start);
    buffer.append(kCrLf);
    if (buffer.size() > kWorkingBufferSize) {
      text += buffer;
      buffer.clear();
    }
    start = end;
    if (start < chars.size()) {
      const bool crLf =
          chars[start] == u'\r' && start + 1 < chars.size() && chars[start + 1] == u'\n';
      start += crLf ? 2 : 1;
    }
  }
  text += buffer;
  return text;
}

// The text from `from` up to the next "@" of the same line; a line without it is malformed.
std::u16string_view FieldUpToAt(std::u16string_view text, size_t from) {
  const size_t at = text.find(u'@', from);
  const size_t lineEnd = text.find(kCrLf, from);
  if (at == std::u16string_view::npos || at > lineEnd) RaiseMalformed();
  return text.substr(from, at - from);
}

// Position just after the CR LF that ends the line holding `from`.
size_t NextLine(std::u16string_view text, size_t from) {
  const size_t lineEnd = text.find(kCrLf, from);
  return lineEnd == std::u16string_view::npos ? text.size() : lineEnd + kCrLf.size();
}

void ParseModule(std::u16string_view block, std::u16string_view module, ErrorTextMap& texts) {
  size_t pos = 0;
  while (true) {
    const size_t entry = block.find(kEntryStart, pos);
    if (entry == std::u16string_view::npos) return;
    pos = entry + kEntryStart.size();
    const std::u16string_view number = FieldUpToAt(block, pos);
    if (number == u"END") return;
    pos = NextLine(block, pos);
    const size_t textEnd = block.find(u"\r\n@2@", pos);
    if (textEnd == std::u16string_view::npos) RaiseMalformed();
    std::u16string key(module);
    key += u'.';
    key += number;
    const bool added =
        texts.emplace(std::move(key), std::u16string(block.substr(pos, textEnd + 2 - pos))).second;
    if (!added) RaiseMalformed();
    pos = textEnd + kCrLf.size();
  }
}

}  // namespace

ErrorTextMap LoadErrorTexts(const std::u16string& path) {
  const std::u16string text =
      SharedString().ConvertCodePage(ReadLines(path), kDosLatin2Table, kWindowsTable).ToString();
  const std::u16string_view view(text);
  ErrorTextMap texts;
  size_t pos = 0;
  while (pos < view.size()) {
    const size_t header = view.find(kModuleStart, pos);
    if (header == std::u16string_view::npos) break;
    pos = header + kModuleStart.size();
    const std::u16string_view module = FieldUpToAt(view, pos);
    pos = NextLine(view, pos);
    const size_t end = view.find(kModuleEnd, pos);
    if (end == std::u16string_view::npos) RaiseMalformed();
    const size_t blockEnd = std::min(end + kModuleEndLength, view.size());
    ParseModule(view.substr(pos, blockEnd - pos), module, texts);
    pos = blockEnd;
  }
  return texts;
}

}  // namespace talmo
