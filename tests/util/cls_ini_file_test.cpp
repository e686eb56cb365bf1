// clsIniFile: file-name resolution, reading with the default text and the mandatory flag,
// writing, the exact error texts, and the code-page conversion of what is stored.
#include "util/cls_ini_file.h"

#include <gtest/gtest.h>

#include "automation/automation_error.h"
#include "automation/dispatch.h"
#include "automation/text.h"
#include "file_bytes.h"

namespace {

using automation::AutomationError;
using talmo::clsIniFile;
using talmo::testing::ReadBytes;
using talmo::testing::TempFolder;
using talmo::testing::WriteBytes;

std::u16string U(const std::string& utf8) { return automation::FromUtf8(utf8); }

struct NameRow {
  const char* name;
  std::u16string moduleFolder;
  std::u16string given;
  std::u16string stored;
};

class IniFileName : public ::testing::TestWithParam<NameRow> {};

TEST_P(IniFileName, BareNamesGoIntoTheModuleFolder) {
  clsIniFile ini(GetParam().moduleFolder, u"Talmo");
  ini.SetFileName(GetParam().given);
  EXPECT_EQ(ini.FileName(), GetParam().stored);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, IniFileName,
    ::testing::Values(
        NameRow{"BareName", u"/opt/app", u"Talmo.ini", u"/opt/app/Talmo.ini"},
        NameRow{"FolderWithSlash", u"/opt/app/", u"Talmo.ini", u"/opt/app/Talmo.ini"},
        NameRow{"AbsolutePath", u"/opt/app", u"/etc/Talmo.ini", u"/etc/Talmo.ini"},
        NameRow{"RelativePath", u"/opt/app", u"cfg/Talmo.ini", u"cfg/Talmo.ini"},
        NameRow{"WindowsPath", u"/opt/app", u"C:\\Cfg\\Talmo.ini", u"C:\\Cfg\\Talmo.ini"},
        NameRow{"WindowsRelative", u"/opt/app", u"cfg\\Talmo.ini", u"cfg\\Talmo.ini"},
        NameRow{"DriveWithoutBackslash", u"/opt/app", u"C:Talmo.ini", u"/opt/app/C:Talmo.ini"},
        NameRow{"CzechName", u"/opt/účty", u"Šablona.ini", u"/opt/účty/Šablona.ini"}),
    [](const ::testing::TestParamInfo<NameRow>& info) { return std::string(info.param.name); });

class IniFileTest : public ::testing::Test {
 protected:
  IniFileTest() : ini_(U(folder_.path().string()), u"Talmo") { ini_.SetFileName(u"t.ini"); }

  std::string File() const { return folder_.File("t.ini"); }

  TempFolder folder_;
  clsIniFile ini_;
};

TEST_F(IniFileTest, NameIsResolvedAgainstTheModuleFolder) { EXPECT_EQ(ini_.FileName(), U(File())); }

TEST_F(IniFileTest, AbsentFileSectionOrKeyReadsEmptyEvenWhenMandatory) {
  EXPECT_EQ(ini_.LoadFromINI(u"Database", u"Server", false), u"");
  EXPECT_EQ(ini_.LoadFromINI(u"Database", u"Server", true), u"");
  WriteBytes(File(), "[Database]\nUser=me\n");
  EXPECT_EQ(ini_.LoadFromINI(u"Database", u"Server", true), u"");
  EXPECT_EQ(ini_.LoadFromINI(u"Other", u"User", true), u"");
  EXPECT_EQ(ini_.LoadFromINI(u"DATABASE", u"user", true), u"me");
}

TEST_F(IniFileTest, PresentButEmptyKeyIsAnErrorOnlyWhenMandatory) {
  WriteBytes(File(), "[Database]\nServer=\n");
  EXPECT_EQ(ini_.LoadFromINI(u"Database", u"Server", false), u"");
  try {
    ini_.LoadFromINI(u"Database", u"Server", true);
    FAIL() << "10101 expected";
  } catch (const AutomationError& e) {
    EXPECT_EQ(e.number(), 10101);
    EXPECT_EQ(e.source(), u"Talmo");
    EXPECT_EQ(e.description(), u"Chyba při čtení z INI souboru " + U(File()) +
                                   u". Sekce='Database', Klíč='Server'.");
  }
}

TEST_F(IniFileTest, TheDefaultTextStoredAsAValueReadsEmpty) {
  automation::SetAnsiCodePage("CP1250");
  WriteBytes(File(),
             "[S]\nk=\xB0\xB0\xB0"
             "DefaultValue%KeyIsNotExist\xB0\xB0\xB0\n"
             "near=\xB0\xB0\xB0"
             "DefaultValue%KeyIsNotExist\xB0\xB0\n");
  EXPECT_EQ(ini_.LoadFromINI(u"S", u"k", true), u"");
  EXPECT_EQ(ini_.LoadFromINI(u"S", u"near", true), u"°°°DefaultValue%KeyIsNotExist°°");
}

TEST_F(IniFileTest, LongValueReadsBackAsItsFirst499Characters) {
  std::u16string value;
  for (int i = 0; i < 600; ++i) value += static_cast<char16_t>(u'a' + i % 26);
  ini_.SaveToINI(u"S", u"long", value);
  EXPECT_EQ(ini_.LoadFromINI(u"S", u"long", true), value.substr(0, 499));
}

TEST_F(IniFileTest, SaveReturnsEmptyAndIsSeenByAnotherObject) {
  automation::Variant result = ini_.SaveToINI(u"Counters", u"Orders", u"17");
  EXPECT_TRUE(result.IsEmpty());
  clsIniFile other(u"/nowhere", u"TalmoDemo");
  other.SetFileName(U(File()));
  EXPECT_EQ(other.LoadFromINI(u"counters", u"ORDERS", true), u"17");
  other.SaveToINI(u"Counters", u"Orders", u"18");
  EXPECT_EQ(ini_.LoadFromINI(u"Counters", u"Orders", true), u"18");
}

TEST_F(IniFileTest, SaveKeepsCommentsAndOtherKeys) {
  const std::string before =
      "; Talmo connection\r\n[Database]\r\nServer=old\r\n; cache in KB\r\nCache=2000\r\n";
  WriteBytes(File(), before);
  ini_.SaveToINI(u"database", u"SERVER", u"new");
  EXPECT_EQ(ReadBytes(File()),
            "; Talmo connection\r\n[Database]\r\nSERVER=new\r\n; cache in KB\r\nCache=2000\r\n");
  EXPECT_EQ(ini_.LoadFromINI(u"Database", u"Cache", true), u"2000");
}

TEST_F(IniFileTest, WriteIntoMissingFolderRaises10102WithTheResolvedPath) {
  clsIniFile ini(U((folder_.path() / "missing").string()), u"TalmoDemo");
  ini.SetFileName(u"TalmoDemo.ini");
  std::u16string resolved = U((folder_.path() / "missing" / "TalmoDemo.ini").string());
  ASSERT_EQ(ini.FileName(), resolved);
  try {
    ini.SaveToINI(u"Counters", u"Orders", u"1");
    FAIL() << "10102 expected";
  } catch (const AutomationError& e) {
    EXPECT_EQ(e.number(), 10102);
    EXPECT_EQ(e.source(), u"TalmoDemo");
    EXPECT_EQ(e.description(), u"Chyba při zápisu do INI souboru " + resolved +
                                   u". Sekce='Counters', Klíč='Orders'.");
  }
  EXPECT_EQ(ini.FileName(), resolved);
}

TEST_F(IniFileTest, WriteIntoAFolderNobodyCanWriteRaises10102) {
  clsIniFile ini(u"/proc", u"Talmo");
  ini.SetFileName(u"talmo-test.ini");
  try {
    ini.SaveToINI(u"S", u"k", u"v");
    FAIL() << "10102 expected";
  } catch (const AutomationError& e) {
    EXPECT_EQ(e.number(), 10102);
  }
}

TEST_F(IniFileTest, TextIsStoredInWindows1250AndForeignCharactersDoNotSurvive) {
  automation::SetAnsiCodePage("CP1250");
  ini_.SaveToINI(u"Účty", u"Název", u"Žluťoučký kůň €");
  EXPECT_EQ(ReadBytes(File()), "[\xDA\xE8ty]\nN\xE1zev=\x8Elu\x9Dou\xE8k\xFD k\xF9\xF2 \x80\n");
  EXPECT_EQ(ini_.LoadFromINI(u"Účty", u"Název", true), u"Žluťoučký kůň €");

  ini_.SaveToINI(u"S", u"k", u"a→日ä");
  EXPECT_EQ(ini_.LoadFromINI(u"S", u"k", true), u"a??ä");
}

TEST_F(IniFileTest, ReadsAFileWrittenOnWindows) {
  automation::SetAnsiCodePage("CP1250");
  WriteBytes(File(),
             "[Database]\r\nServer = \xC8"
             "esk\xE1 spo\xF8itelna \r\nNetType=tcp\r\n");
  EXPECT_EQ(ini_.LoadFromINI(u"Database", u"Server", true), u"Česká spořitelna");
  EXPECT_EQ(ini_.LoadFromINI(u"Database", u"NetType", true), u"tcp");
}

TEST_F(IniFileTest, UnassignedFileNameReadsEmptyAndCannotBeWritten) {
  clsIniFile ini(u"/opt/app", u"Talmo");
  EXPECT_EQ(ini.FileName(), u"");
  EXPECT_EQ(ini.LoadFromINI(u"S", u"k", true), u"");
  EXPECT_THROW(ini.SaveToINI(u"S", u"k", u"v"), AutomationError);
}

TEST_F(IniFileTest, ValueThatWouldBreakTheFileRaises10102) {
  WriteBytes(File(), "[Database]\nServer=db\n");
  try {
    ini_.SaveToINI(u"Database", u"Server", u"x\nUser=admin");
    FAIL() << "10102 expected";
  } catch (const AutomationError& e) {
    EXPECT_EQ(e.number(), 10102);
  }
  EXPECT_EQ(ReadBytes(File()), "[Database]\nServer=db\n");
}

}  // namespace
