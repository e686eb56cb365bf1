// The INI reader and writer behind the private-profile functions: lookup rules, the
// default text, the returned count, truncation, in-place rewrites and refused writes.
#include "automation/private_profile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <filesystem>

#include "file_bytes.h"

namespace {

using talmo::testing::ReadBytes;
using talmo::testing::TempFolder;
using talmo::testing::WriteBytes;

constexpr std::string_view kDefault = "<absent>";

struct Read {
  std::string value;
  size_t count;
};

Read ReadKey(const std::string& file, std::string_view section, std::string_view key,
             std::string_view defaultText = kDefault) {
  std::array<char, 500> buffer;
  buffer.fill('#');
  size_t count = automation::GetPrivateProfileString(section, key, defaultText, buffer.data(),
                                                     buffer.size(), file);
  return {std::string(buffer.data()), count};
}

struct ReadRow {
  const char* name;
  std::string content;
  std::string section;
  std::string key;
  std::string expected;
};

class PrivateProfileRead : public ::testing::TestWithParam<ReadRow> {};

TEST_P(PrivateProfileRead, FindsTheValueTheWayThePlatformDoes) {
  TempFolder folder;
  std::string file = folder.File("t.ini");
  WriteBytes(file, GetParam().content);
  Read got = ReadKey(file, GetParam().section, GetParam().key);
  EXPECT_EQ(got.value, GetParam().expected);
  EXPECT_EQ(got.count, GetParam().expected.size());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, PrivateProfileRead,
    ::testing::Values(
        ReadRow{"Plain", "[S]\nk=v\n", "S", "k", "v"},
        ReadRow{"SectionAndKeyIgnoreCase", "[Database]\nServer=db1\n", "DATABASE", "sErVeR", "db1"},
        ReadRow{"BlanksAroundNamesAndValue", "  [ S ]  \n \t k \t=  v w \t\n", "S", "k", "v w"},
        ReadRow{"BlanksInRequestedNames", "[S]\nk=v\n", " S ", " k\t", "v"},
        ReadRow{"CommentLineIsNoKey", "[S]\n;k=comment\n  ; k=other\nk=v\n", "S", "k", "v"},
        ReadRow{"CommentedKeyOnlyIsAbsent", "[S]\n;k=comment\n", "S", "k", "<absent>"},
        ReadRow{"KeyOfAnotherSection", "[A]\nk=1\n[B]\nk=2\n", "B", "k", "2"},
        ReadRow{"KeyBeforeAnySection", "k=0\n[S]\nx=1\n", "S", "k", "<absent>"},
        ReadRow{"AbsentSection", "[A]\nk=1\n", "B", "k", "<absent>"},
        ReadRow{"AbsentKey", "[A]\nk=1\n", "A", "q", "<absent>"},
        ReadRow{"EmptyValue", "[A]\nk=\n", "A", "k", ""},
        ReadRow{"LineWithoutEqualsIsNoKey", "[A]\nk\n", "A", "k", "<absent>"},
        ReadRow{"LineWithoutEqualsBeforeTheKey", "[A]\nk\nk=v\n", "A", "k", "v"},
        ReadRow{"CrLfLines", "[A]\r\nk=v\r\nz=w\r\n", "A", "k", "v"},
        ReadRow{"CrOnlyLines", "[A]\rk=v\rz=w\r", "A", "z", "w"},
        ReadRow{"MixedLineEnds", "[A]\r\nx=1\ry=2\nk=v", "A", "k", "v"},
        ReadRow{"NoFinalNewline", "[A]\nk=v", "A", "k", "v"},
        ReadRow{"EqualsInsideValue", "[A]\nk=a=b\n", "A", "k", "a=b"},
        ReadRow{"DoubleQuotesRemoved", "[A]\nk=\" a b \"\n", "A", "k", " a b "},
        ReadRow{"SingleQuotesRemoved", "[A]\nk='x'\n", "A", "k", "x"},
        ReadRow{"UnmatchedQuoteKept", "[A]\nk=\"x'\n", "A", "k", "\"x'"},
        ReadRow{"FirstOfDuplicateKeys", "[A]\nk=1\nk=2\n", "A", "k", "1"},
        ReadRow{"RepeatedSectionSearched", "[A]\nx=1\n[B]\n[a]\nk=3\n", "A", "k", "3"},
        ReadRow{"HeaderWithTrailingText", "[A] ; note\nk=v\n", "A", "k", "v"},
        ReadRow{"BytesUnchanged", "[\xC8\xED\x73la]\nk=\x8E\xE1\xFE\n", "\xC8\xED\x73la", "k",
                "\x8E\xE1\xFE"}),
    [](const ::testing::TestParamInfo<ReadRow>& info) { return std::string(info.param.name); });

TEST(PrivateProfileReadFile, MissingFileOrFolderGivesTheDefaultText) {
  TempFolder folder;
  EXPECT_EQ(ReadKey(folder.File("none.ini"), "S", "k").value, kDefault);
  EXPECT_EQ(ReadKey(folder.File("none.ini"), "S", "k").count, kDefault.size());
  EXPECT_EQ(ReadKey(folder.path().string(), "S", "k").value, kDefault);
  EXPECT_EQ(ReadKey("", "S", "k").value, kDefault);
}

TEST(PrivateProfileReadFile, TrailingBlanksOfTheDefaultTextAreDropped) {
  TempFolder folder;
  Read got = ReadKey(folder.File("none.ini"), "S", "k", " def  \t");
  EXPECT_EQ(got.value, " def");
  EXPECT_EQ(got.count, 4u);
}

TEST(PrivateProfileReadFile, LongValueIsCutToBufferSizeLessOne) {
  TempFolder folder;
  std::string file = folder.File("t.ini");
  std::string value(600, 'x');
  for (size_t i = 0; i < value.size(); ++i) value[i] = static_cast<char>('a' + i % 26);
  WriteBytes(file, "[S]\nk=" + value + "\n");

  Read got = ReadKey(file, "S", "k");
  EXPECT_EQ(got.count, 499u);
  EXPECT_EQ(got.value, value.substr(0, 499));

  std::array<char, 4> small;
  small.fill('#');
  EXPECT_EQ(automation::GetPrivateProfileString("S", "k", "", small.data(), 1, file), 0u);
  EXPECT_EQ(small[0], '\0');
  EXPECT_EQ(small[1], '#');
  EXPECT_EQ(automation::GetPrivateProfileString("S", "k", "", small.data(), 0, file), 0u);
  EXPECT_EQ(small[1], '#') << "nothing may be written into a buffer of size 0";
  EXPECT_EQ(automation::GetPrivateProfileString("S", "k", "", small.data(), 4, file), 3u);
  EXPECT_EQ(std::string(small.data()), "abc");
}

struct WriteRow {
  const char* name;
  std::optional<std::string> before;  // nullopt: no file yet
  std::string section;
  std::string key;
  std::string value;
  std::string after;
};

class PrivateProfileWrite : public ::testing::TestWithParam<WriteRow> {};

TEST_P(PrivateProfileWrite, ChangesOnlyTheKeyLine) {
  TempFolder folder;
  std::string file = folder.File("t.ini");
  if (GetParam().before) WriteBytes(file, *GetParam().before);
  ASSERT_TRUE(automation::WritePrivateProfileString(GetParam().section, GetParam().key,
                                                    GetParam().value, file));
  EXPECT_EQ(ReadBytes(file), GetParam().after);
  EXPECT_EQ(ReadKey(file, GetParam().section, GetParam().key).value, GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, PrivateProfileWrite,
    ::testing::Values(
        WriteRow{"CreatesFile", std::nullopt, "S", "k", "v", "[S]\nk=v\n"},
        WriteRow{"EmptyFile", "", "S", "k", "v", "[S]\nk=v\n"},
        WriteRow{"ReplacesInPlaceKeepingComments",
                 "; head\n[S]\n; about k\nk=old\nother=1\n\n; tail\n", "S", "k", "new",
                 "; head\n[S]\n; about k\nk=new\nother=1\n\n; tail\n"},
        WriteRow{"ReplacesIgnoringCase", "[s]\nKEY = 1\n", "S", "key", "2", "[s]\nkey=2\n"},
        WriteRow{"AddsKeyAfterLastKeyOfSection", "[A]\nx=1\n; about B\n\n[B]\ny=2\n", "A", "z", "3",
                 "[A]\nx=1\nz=3\n; about B\n\n[B]\ny=2\n"},
        WriteRow{"AddsKeyToEmptySection", "[A]\n[B]\ny=2\n", "A", "z", "3", "[A]\nz=3\n[B]\ny=2\n"},
        WriteRow{"AddsSectionAtEnd", "[A]\nx=1\n", "B", "y", "2", "[A]\nx=1\n\n[B]\ny=2\n"},
        WriteRow{"AddsSectionAfterBlankLine", "[A]\nx=1\n\n", "B", "y", "2",
                 "[A]\nx=1\n\n[B]\ny=2\n"},
        WriteRow{"KeepsCrLf", "[A]\r\nx=1\r\n", "A", "z", "3", "[A]\r\nx=1\r\nz=3\r\n"},
        WriteRow{"KeepsCrLfForNewSection", "[A]\r\nx=1\r\n", "B", "y", "2",
                 "[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n"},
        WriteRow{"KeepsCrOnly", "[A]\rx=1\r", "A", "z", "3", "[A]\rx=1\rz=3\r"},
        WriteRow{"LineWithoutEqualsStays", "[A]\nk\n", "A", "k", "1", "[A]\nk=1\nk\n"},
        WriteRow{"KeepsMissingFinalNewline", "[A]\nx=1", "A", "x", "2", "[A]\nx=2"},
        WriteRow{"NewSectionAfterMissingFinalNewline", "[A]\nx=1", "B", "y", "2",
                 "[A]\nx=1\n\n[B]\ny=2\n"},
        WriteRow{"KeepsLinesBeforeFirstSection", "k=0\n[S]\nk=1\n", "S", "k", "2",
                 "k=0\n[S]\nk=2\n"},
        WriteRow{"TrimsRequestedNames", "[S]\nk=1\n", " S ", " k ", "2", "[S]\nk=2\n"},
        WriteRow{"EmptyValue", "[S]\nk=1\n", "S", "k", "", "[S]\nk=\n"}),
    [](const ::testing::TestParamInfo<WriteRow>& info) { return std::string(info.param.name); });

struct RefusedRow {
  const char* name;
  std::string section;
  std::string key;
  std::string value;
};

class PrivateProfileRefusedWrite : public ::testing::TestWithParam<RefusedRow> {};

// Text that would change the file's structure (an injected line, a key read as a header or a
// comment) is refused and the file stays as it was.
TEST_P(PrivateProfileRefusedWrite, LeavesTheFileUnchanged) {
  TempFolder folder;
  std::string file = folder.File("t.ini");
  const std::string before = "[S]\nk=1\n";
  WriteBytes(file, before);
  EXPECT_FALSE(automation::WritePrivateProfileString(GetParam().section, GetParam().key,
                                                     GetParam().value, file));
  EXPECT_EQ(ReadBytes(file), before);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, PrivateProfileRefusedWrite,
    ::testing::Values(RefusedRow{"NewlineInValue", "S", "k", "x\nServer=evil"},
                      RefusedRow{"CarriageReturnInValue", "S", "k", "x\ry"},
                      RefusedRow{"NulInValue", "S", "k", std::string("x\0y", 3)},
                      RefusedRow{"NewlineInKey", "S", "k\n[T]", "1"},
                      RefusedRow{"NewlineInSection", "S\nk=2", "k", "1"},
                      RefusedRow{"EqualsInKey", "S", "a=b", "1"},
                      RefusedRow{"BracketInSection", "S]x", "k", "1"},
                      RefusedRow{"KeyLooksLikeHeader", "S", "[T]", "1"},
                      RefusedRow{"KeyLooksLikeComment", "S", ";k", "1"}),
    [](const ::testing::TestParamInfo<RefusedRow>& info) { return std::string(info.param.name); });

TEST(PrivateProfileWriteFile, FailsWhenTheFolderIsMissing) {
  TempFolder folder;
  std::string file = (folder.path() / "missing" / "t.ini").string();
  EXPECT_FALSE(automation::WritePrivateProfileString("S", "k", "v", file));
  EXPECT_FALSE(std::filesystem::exists(folder.path() / "missing"));
  EXPECT_FALSE(automation::WritePrivateProfileString("S", "k", "v", ""));
}

TEST(PrivateProfileWriteFile, FailsOnAFolderInsteadOfAFile) {
  TempFolder folder;
  std::filesystem::create_directory(folder.path() / "d.ini");
  EXPECT_FALSE(automation::WritePrivateProfileString("S", "k", "v", folder.File("d.ini")));
  EXPECT_TRUE(std::filesystem::is_directory(folder.path() / "d.ini"));
}

TEST(PrivateProfileWriteFile, FailsInAReadOnlyFolderAndLeavesNoTrace) {
  if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
  TempFolder folder;
  std::string file = folder.File("t.ini");
  WriteBytes(file, "[S]\nk=1\n");
  std::filesystem::permissions(
      folder.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  EXPECT_FALSE(automation::WritePrivateProfileString("S", "k", "2", file));
  std::filesystem::permissions(folder.path(), std::filesystem::perms::owner_all);
  EXPECT_EQ(ReadBytes(file), "[S]\nk=1\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()),
                          std::filesystem::directory_iterator()),
            1);
}

TEST(PrivateProfileWriteFile, LeavesNoTemporaryFilesAndKeepsPermissions) {
  TempFolder folder;
  std::string file = folder.File("t.ini");
  WriteBytes(file, "[S]\nk=1\n");
  ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
  for (int i = 0; i < 5; ++i) {
    ASSERT_TRUE(automation::WritePrivateProfileString("S", "k" + std::to_string(i), "v", file));
  }
  struct stat st {};
  ASSERT_EQ(::stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()),
                          std::filesystem::directory_iterator()),
            1);
}

TEST(PrivateProfileWriteFile, WritesThroughASymbolicLink) {
  TempFolder folder;
  std::string target = folder.File("real.ini");
  std::string link = folder.File("link.ini");
  WriteBytes(target, "[S]\nk=1\n");
  std::filesystem::create_symlink(target, link);
  ASSERT_TRUE(automation::WritePrivateProfileString("S", "k", "2", link));
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(ReadBytes(target), "[S]\nk=2\n");
}

}  // namespace
