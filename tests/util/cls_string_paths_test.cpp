// clsString path resolution: Windows drive and backslash rules, POSIX '/' rules, the choice
// of the base folder, and the default folders.
#include <gtest/gtest.h>

#include "automation/automation_error.h"
#include "automation/dispatch.h"
#include "util/cls_string.h"

namespace {

using automation::AutomationError;
using talmo::clsString;

struct PathRow {
  const char* name;
  std::u16string componentFolder;
  std::u16string path;
  int16_t type;
  std::u16string myDefault;
  std::u16string expected;
};

// Default path C:\P and default temp path C:\T in every row.
class GetFullPathRows : public ::testing::TestWithParam<PathRow> {};

TEST_P(GetFullPathRows, Resolves) {
  clsString s(GetParam().componentFolder, u"Talmo");
  s.SetDefaultPath(u"C:\\P");
  s.SetDefaultTempPath(u"C:\\T");
  EXPECT_EQ(s.GetFullPath(GetParam().path, GetParam().type, GetParam().myDefault),
            GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, GetFullPathRows,
    ::testing::Values(
        PathRow{"TrailingBackslashDropped", u"C:\\App", u"Data\\", 0, u"C:\\Base",
                u"C:\\Base\\Data"},
        PathRow{"RootedTakesTheDriveOfTheBase", u"C:\\App", u"\\Data", 0, u"E:\\Base", u"E:\\Data"},
        PathRow{"DriveIsAbsolute", u"C:\\App", u"D:\\X\\", 1, u"C:\\Base", u"D:\\X"},
        PathRow{"DriveIsAbsoluteWithoutDefault", u"C:\\App", u"D:\\X\\", 0, u"", u"D:\\X"},
        PathRow{"EmptyPathGivesTheBase", u"C:\\App", u"", 0, u"C:\\Base\\", u"C:\\Base"},
        PathRow{"Type0UsesDefaultPath", u"C:\\App", u"rel", 0, u"", u"C:\\P\\rel"},
        PathRow{"Type1UsesDefaultTempPath", u"C:\\App", u"rel", 1, u"", u"C:\\T\\rel"},
        PathRow{"Type2UsesComponentFolder", u"C:\\App", u"rel", 2, u"", u"C:\\App\\rel"},
        PathRow{"Type2PosixComponentFolder", u"/opt/talmo", u"rel\\", 2, u"", u"/opt/talmo/rel"},
        PathRow{"RootedOnBaseWithoutDrive", u"/opt/talmo", u"\\Data", 2, u"", u"\\Data"},
        PathRow{"OnlyOneTrailingBackslashDropped", u"C:\\App", u"Data\\\\", 0, u"C:\\B",
                u"C:\\B\\Data"},
        PathRow{"PosixRelative", u"/opt/talmo", u"data/", 0, u"/srv/base", u"/srv/base/data"},
        PathRow{"PosixNested", u"/opt/talmo", u"a/b", 2, u"", u"/opt/talmo/a/b"},
        PathRow{"PosixAbsolute", u"/opt/talmo", u"/var/lib/", 0, u"/srv", u"/var/lib"},
        PathRow{"PosixRoot", u"/opt/talmo", u"/", 0, u"/srv", u"/"},
        PathRow{"PosixBaseWithSlash", u"/opt/talmo", u"", 0, u"/srv/", u"/srv"},
        PathRow{"PosixRootBase", u"/opt/talmo", u"", 0, u"/", u"/"},
        PathRow{"PosixRootBaseAndName", u"/opt/talmo", u"x", 0, u"/", u"/x"}),
    [](const ::testing::TestParamInfo<PathRow>& info) { return std::string(info.param.name); });

struct FileRow {
  const char* name;
  std::u16string fileName;
  std::u16string path;
  std::u16string myDefault;
  std::u16string expected;
};

class GetFullFileNameRows : public ::testing::TestWithParam<FileRow> {};

TEST_P(GetFullFileNameRows, Resolves) {
  clsString s(u"/opt/talmo", u"Talmo");
  EXPECT_EQ(s.GetFullFileName(GetParam().fileName, GetParam().path, 0, GetParam().myDefault),
            GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, GetFullFileNameRows,
    ::testing::Values(
        FileRow{"InMyDefault", u"x.txt", u"", u"C:\\Base", u"C:\\Base\\x.txt"},
        FileRow{"InSubfolder", u"x.txt", u"Data\\", u"C:\\Base", u"C:\\Base\\Data\\x.txt"},
        FileRow{"DriveNameUnchanged", u"D:\\a\\x.txt", u"Data", u"C:\\Base", u"D:\\a\\x.txt"},
        FileRow{"RootedNameOnTheDrive", u"\\x.txt", u"Data", u"C:\\Base", u"C:\\x.txt"},
        FileRow{"FolderEndingInBackslash", u"x.txt", u"", u"C:\\", u"C:\\x.txt"},
        FileRow{"InComponentFolder", u"fin.etx", u"", u"", u"/opt/talmo/fin.etx"},
        FileRow{"PosixAbsoluteName", u"/etc/x.ini", u"Data", u"/srv", u"/etc/x.ini"},
        FileRow{"PosixSubfolder", u"x.ini", u"cfg", u"/srv", u"/srv/cfg/x.ini"},
        FileRow{"PosixAbsoluteFolder", u"x.ini", u"/etc/talmo/", u"/srv", u"/etc/talmo/x.ini"}),
    [](const ::testing::TestParamInfo<FileRow>& info) { return std::string(info.param.name); });

class NoFileName : public ::testing::TestWithParam<std::u16string> {};

TEST_P(NoFileName, Raises10201NamingTheGivenName) {
  clsString s(u"/opt/talmo", u"Talmo");
  try {
    s.GetFullFileName(GetParam(), u"", 0, u"C:\\Base");
    FAIL() << "10201 expected";
  } catch (const AutomationError& e) {
    EXPECT_EQ(e.number(), 10201);
    EXPECT_EQ(e.description(), u"Nebyl zadán název souboru (" + GetParam() + u")");
  }
}

INSTANTIATE_TEST_SUITE_P(Rows, NoFileName, ::testing::Values(u"", u"Data\\", u"C:\\", u"data/"));

TEST(DefaultPaths, StartAsTheComponentFolderAndResolveAgainstIt) {
  clsString s(u"/opt/talmo", u"Talmo");
  EXPECT_EQ(s.DefaultPath(), u"/opt/talmo");
  EXPECT_EQ(s.DefaultTempPath(), u"/opt/talmo");
  s.SetDefaultPath(u"data\\");
  s.SetDefaultTempPath(u"/tmp/");
  EXPECT_EQ(s.DefaultPath(), u"/opt/talmo/data");
  EXPECT_EQ(s.DefaultTempPath(), u"/tmp");
  EXPECT_EQ(s.GetFullPath(u"x", 0, u""), u"/opt/talmo/data/x");
  EXPECT_EQ(s.GetFullPath(u"x", 1, u""), u"/tmp/x");
  s.SetDefaultPath(u"");
  EXPECT_EQ(s.DefaultPath(), u"/opt/talmo");
}

TEST(DefaultPaths, WindowsComponentFolder) {
  clsString s(u"C:\\Program Files\\Talmo\\", u"Talmo");
  EXPECT_EQ(s.DefaultPath(), u"C:\\Program Files\\Talmo");
  s.SetDefaultTempPath(u"\\Temp");
  EXPECT_EQ(s.DefaultTempPath(), u"C:\\Temp");
  EXPECT_EQ(s.GetFullFileName(u"a.txt", u"", 1, u""), u"C:\\Temp\\a.txt");
}

}  // namespace
