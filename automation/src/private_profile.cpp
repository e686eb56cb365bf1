// INI files read and written with the contract of the platform's private-profile functions.
//
// The file is kept as a list of lines so that a write changes exactly one line (or adds a
// key or a section) and leaves every comment, blank line and foreign line as it was found.
// Names are compared case-insensitively (ASCII letters) after trimming blanks; a value is
// the text behind the first '=' with blanks trimmed and one pair of enclosing quotes removed,
// as the platform functions read it.
#include "automation/private_profile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <vector>

namespace automation {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return FoldAscii(x) == FoldAscii(y);
         });
}

// One line of the file without its line ending, classified once.
struct Line {
  enum class Kind { kOther, kSection, kKey };
  std::string text;
  Kind kind = Kind::kOther;
  std::string name;   // section or key name, trimmed
  std::string value;  // key value, trimmed
};

void Classify(Line& line) {
  std::string_view t = Trim(line.text);
  line.kind = Line::Kind::kOther;
  line.name.clear();
  line.value.clear();
  if (t.empty() || t.front() == ';') return;
  if (t.front() == '[') {
    t.remove_prefix(1);
    line.kind = Line::Kind::kSection;
    line.name = Trim(t.substr(0, t.find(']')));
    return;
  }
  // A line without '=' is no key, as the platform reads it: asking for it gives the default.
  const size_t eq = t.find('=');
  if (eq == std::string_view::npos) return;
  line.kind = Line::Kind::kKey;
  line.name = Trim(t.substr(0, eq));
  line.value = Trim(t.substr(eq + 1));
}

struct IniText {
  std::vector<Line> lines;
  std::string newline = "\n";  // the line ending found in the file
  bool endsWithNewline = true;
};

// Lines end in LF, CR LF or CR alone; a rewritten file keeps the ending of its first line.
void ParseInto(const std::string& bytes, IniText& ini) {
  ini.lines.clear();
  const size_t firstBreak = bytes.find_first_of("\r\n");
  if (firstBreak != std::string::npos && bytes[firstBreak] == '\r') {
    ini.newline = bytes.compare(firstBreak, 2, "\r\n") == 0 ? "\r\n" : "\r";
  }
  ini.endsWithNewline = bytes.empty() || bytes.back() == '\n' || bytes.back() == '\r';
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find_first_of("\r\n", start);
    if (end == std::string::npos) end = bytes.size();
    ini.lines.emplace_back();
    ini.lines.back().text.assign(bytes, start, end - start);
    start = bytes.compare(end, 2, "\r\n") == 0 ? end + 2 : end + 1;
  }
  for (Line& line : ini.lines) Classify(line);
}

// Reads the whole file. nullopt when it does not exist; an error other than absence also
// gives nullopt with `failed` set, so a writer does not replace a file it could not read.
std::optional<std::string> ReadAll(const std::string& file, bool& failed) {
  failed = false;
  std::error_code ec;
  if (!std::filesystem::exists(file, ec)) {
    failed = static_cast<bool>(ec);
    return std::nullopt;
  }
  if (std::filesystem::is_directory(file, ec)) {
    failed = true;
    return std::nullopt;
  }
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    failed = true;
    return std::nullopt;
  }
  std::ostringstream content;
  content << in.rdbuf();
  if (in.bad()) {
    failed = true;
    return std::nullopt;
  }
  return std::move(content).str();
}

// Location of a key: index of its line, or of the section to add it to.
struct Lookup {
  std::optional<size_t> keyLine;
  std::optional<size_t> sectionLine;  // header of the first section with the name
  std::optional<size_t> insertAfter;  // last header or key line of that section
};

// The first line of `key` in any section named `section` (a name may appear in several
// sections; the first key wins); when absent, where a new key line belongs.
Lookup Find(const IniText& ini, std::string_view section, std::string_view key) {
  Lookup found;
  bool inSection = false;
  bool inFirstSection = false;
  for (size_t i = 0; i < ini.lines.size(); ++i) {
    const Line& line = ini.lines[i];
    if (line.kind == Line::Kind::kSection) {
      inSection = SameName(line.name, section);
      inFirstSection = inSection && !found.sectionLine;
      if (inFirstSection) {
        found.sectionLine = i;
        found.insertAfter = i;
      }
    } else if (line.kind == Line::Kind::kKey && inSection) {
      if (SameName(line.name, key)) {
        found.keyLine = i;
        return found;
      }
      if (inFirstSection) found.insertAfter = i;
    }
  }
  return found;
}

// Removes one pair of matching quotes around a value, as the platform's reader does.
std::string_view Unquote(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

size_t CopyOut(std::string_view text, char* buffer, size_t bufferSize) {
  if (buffer == nullptr || bufferSize == 0) return 0;
  size_t n = std::min(text.size(), bufferSize - 1);
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
  return n;
}

// Text that cannot be written without changing the file's structure: a line break or NUL
// would start a new line (an injected key or section), '=' ends a key name, ']' a section
// name, and a key starting with '[' or ';' would read back as a header or a comment.
bool Writable(std::string_view section, std::string_view key, std::string_view value) {
  constexpr std::string_view kLineBreaks("\r\n\0", 3);
  auto breaksLine = [&](std::string_view s) { return s.find_first_of(kLineBreaks) != s.npos; };
  if (breaksLine(section) || breaksLine(key) || breaksLine(value)) return false;
  if (section.find(']') != section.npos || key.find('=') != key.npos) return false;
  std::string_view k = Trim(key);
  return k.empty() || (k.front() != '[' && k.front() != ';');
}

std::string Serialize(const IniText& ini) {
  std::string out;
  for (size_t i = 0; i < ini.lines.size(); ++i) {
    out += ini.lines[i].text;
    if (i + 1 < ini.lines.size() || ini.endsWithNewline) out += ini.newline;
  }
  return out;
}

bool WriteFully(int fd, const std::string& data) {
  size_t done = 0;
  while (done < data.size()) {
    ssize_t n = ::write(fd, data.data() + done, data.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

void SyncFolder(const std::filesystem::path& folder) {
  int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// Replaces `target` with `data` so that a reader sees either the old or the new file: the
// data goes to a new file in the same folder, is flushed to disk, and is renamed over the
// target. An existing file keeps its permission bits.
bool ReplaceAtomically(const std::filesystem::path& target, const std::string& data,
                       std::optional<mode_t> mode) {
  static std::atomic<unsigned> counter{0};
  std::filesystem::path folder = target.parent_path();
  if (folder.empty()) folder = ".";
  std::filesystem::path temp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temp = folder / ("." + target.filename().string() + ".tmp" + std::to_string(::getpid()) + "." +
                     std::to_string(counter++));
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return false;
  }
  if (fd < 0) return false;
  bool ok = (!mode || ::fchmod(fd, *mode) == 0) && WriteFully(fd, data) && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  if (ok) ok = ::rename(temp.c_str(), target.c_str()) == 0;
  if (!ok) {
    ::unlink(temp.c_str());
    return false;
  }
  SyncFolder(folder);
  return true;
}

}  // namespace

size_t GetPrivateProfileString(std::string_view section, std::string_view key,
                               std::string_view defaultText, char* buffer, size_t bufferSize,
                               const std::string& file) {
  // The platform drops trailing blanks of the default text.
  while (!defaultText.empty() && IsBlank(defaultText.back())) defaultText.remove_suffix(1);
  bool failed = false;
  std::optional<std::string> bytes = ReadAll(file, failed);
  if (!bytes) return CopyOut(defaultText, buffer, bufferSize);
  IniText ini;
  ParseInto(*bytes, ini);
  Lookup found = Find(ini, Trim(section), Trim(key));
  if (!found.keyLine) return CopyOut(defaultText, buffer, bufferSize);
  return CopyOut(Unquote(ini.lines[*found.keyLine].value), buffer, bufferSize);
}

std::vector<std::string> GetPrivateProfileSectionNames(const std::string& file) {
  std::vector<std::string> names;
  bool failed = false;
  const std::optional<std::string> bytes = ReadAll(file, failed);
  if (!bytes) return names;
  IniText ini;
  ParseInto(*bytes, ini);
  for (const Line& line : ini.lines) {
    if (line.kind == Line::Kind::kSection) names.push_back(line.name);
  }
  return names;
}

bool WritePrivateProfileString(std::string_view section, std::string_view key,
                               std::string_view value, const std::string& file) {
  if (file.empty() || !Writable(section, key, value)) return false;
  section = Trim(section);
  key = Trim(key);

  // Write through a symbolic link to the file it names, rather than replacing the link.
  std::error_code ec;
  std::filesystem::path target = file;
  if (std::filesystem::is_symlink(target, ec)) {
    target = std::filesystem::weakly_canonical(target, ec);
    if (ec) return false;
  }

  bool failed = false;
  std::optional<std::string> bytes = ReadAll(target.string(), failed);
  if (failed) return false;
  std::optional<mode_t> mode;
  if (bytes) {
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0) mode = st.st_mode & 07777;
  }

  IniText ini;
  ParseInto(bytes.value_or(std::string()), ini);
  std::string keyLine = std::string(key) + "=" + std::string(value);
  Lookup found = Find(ini, section, key);
  if (found.keyLine) {
    ini.lines[*found.keyLine].text = std::move(keyLine);
  } else if (found.insertAfter) {
    Line line;
    line.text = std::move(keyLine);
    ini.lines.insert(ini.lines.begin() + static_cast<std::ptrdiff_t>(*found.insertAfter + 1),
                     std::move(line));
  } else {
    if (!ini.lines.empty() && !Trim(ini.lines.back().text).empty()) ini.lines.emplace_back();
    Line header;
    header.text = "[" + std::string(section) + "]";
    ini.lines.push_back(std::move(header));
    Line line;
    line.text = std::move(keyLine);
    ini.lines.push_back(std::move(line));
    ini.endsWithNewline = true;
  }
  return ReplaceAtomically(target, Serialize(ini), mode);
}

}  // namespace automation
