// clsString: folder and file names resolved against the default folders. Windows-style
// names keep their drive and backslash rules; '/' is a separator too, and a leading '/'
// makes a name absolute.
#include "util/cls_string.h"
#include "util_errors.h"

namespace talmo {
namespace {

constexpr auto npos = std::u16string_view::npos;

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

bool IsAbsolute(std::u16string_view name) {
  return name.find(u':') != npos || (!name.empty() && name.front() == u'/');
}

// The base up to and including its first colon: the drive a name starting with '\' goes on.
// A base without a drive gives "".
std::u16string_view Drive(std::u16string_view base) {
  size_t colon = base.find(u':');
  return colon == npos ? std::u16string_view() : base.substr(0, colon + 1);
}

// `name` appended to `folder`, with a separator between unless the folder ends with one.
// A folder written with '/' joins with '/', a Windows-style folder with '\'.
std::u16string Join(std::u16string_view folder, std::u16string_view name) {
  std::u16string joined(folder);
  if (joined.empty() || !IsSeparator(joined.back())) {
    joined += folder.find(u'/') != npos ? u'/' : u'\\';
  }
  joined += name;
  return joined;
}

}  // namespace

clsString::clsString(std::u16string componentFolder, std::u16string errorSource)
    : componentFolder_(std::move(componentFolder)), errorSource_(std::move(errorSource)) {
  SetDefaultPath(u"");
  SetDefaultTempPath(u"");
}

void clsString::SetDefaultPath(std::u16string_view newDefaultPath) {
  defaultPath_ = GetFullPath(newDefaultPath, 0, componentFolder_);
}

void clsString::SetDefaultTempPath(std::u16string_view newDefaultPath) {
  defaultTempPath_ = GetFullPath(newDefaultPath, 0, componentFolder_);
}

std::u16string clsString::GetFullPath(std::u16string_view Path, int16_t TypeDefaultPath,
                                      std::u16string_view MyDefaultPath) const {
  std::u16string_view path = Path;
  // One trailing separator is dropped, except the '/' that names the root.
  if (!path.empty() && (path.back() == u'\\' || (path.back() == u'/' && path.size() > 1))) {
    path.remove_suffix(1);
  }
  if (IsAbsolute(path)) return std::u16string(path);

  std::u16string_view base = componentFolder_;
  if (!MyDefaultPath.empty()) {
    base = MyDefaultPath;
  } else if (!defaultPath_.empty() && TypeDefaultPath == 0) {
    base = defaultPath_;
  } else if (!defaultTempPath_.empty() && TypeDefaultPath == 1) {
    base = defaultTempPath_;
  }

  if (!path.empty() && path.front() == u'\\') return std::u16string(Drive(base)) += path;
  std::u16string full = Join(base, path);
  if (full.size() > 1 && IsSeparator(full.back())) full.pop_back();
  return full;
}

std::u16string clsString::GetFullFileName(std::u16string_view FileName, std::u16string_view Path,
                                          int16_t TypeDefaultPath,
                                          std::u16string_view MyDefaultPath) const {
  if (FileName.empty() || IsSeparator(FileName.back())) {
    util_errors::RaiseNoFileName(errorSource_, FileName);
  }
  if (IsAbsolute(FileName)) return std::u16string(FileName);
  std::u16string folder = GetFullPath(Path, TypeDefaultPath, MyDefaultPath);
  if (FileName.front() == u'\\') return std::u16string(Drive(folder)) += FileName;
  return Join(folder, FileName);
}

}  // namespace talmo
