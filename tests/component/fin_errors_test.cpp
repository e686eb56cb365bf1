// The client error check (accept and substitution directives, the fallback text, the lazy
// load of the message file) and the message file loader.
#include "errors/fin_errors.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "automation/text.h"
#include "session/database.h"
#include "session/db_client.h"
#include "session/global.h"
#include "session_fixture.h"
#include "temp_folder.h"

namespace talmo::testing {
namespace {

using automation::FromUtf8;

constexpr int32_t kRecordMissing = ClientCode(19, 1008);

// A message file as the client ships it: the UTF-8 text here, the bytes in code page 852,
// lines ending in CR LF.
std::string EtxBytes(std::string_view utf8, std::string_view lineEnd = "\r\n") {
  std::string withEnds;
  for (char c : utf8) {
    if (c == '\n') {
      withEnds += lineEnd;
    } else {
      withEnds += c;
    }
  }
  return automation::EncodeCodePage(FromUtf8(withEnds), "CP852");
}

constexpr std::string_view kSampleEtx =
    "Message file of the client\n"
    "@1@19@Records\n"
    "@2@1008@\n"
    "Záznam v tabulce %10 neexistuje.\n"
    "@2@1095@\n"
    "Žádný záznam v rozsahu filtru.\n"
    "Druhý řádek hlášení.\n"
    "@2@END@0@\n"
    "@1@9@Other module\n"
    "@2@1008@\n"
    "Jiný modul, číslo %1 a %10.\n"
    "@2@END@0@\n";

class CheckClientErrorTest : public SessionTest {
 protected:
  void SetUp() override {
    SessionTest::SetUp();
    database_ = CreateDatabase();
    database_->SetNavisionPath(FromUtf8(dir_.path().string()));
  }
  void TearDown() override {
    database_.reset();
    SessionTest::TearDown();
  }

  automation::AutomationError Raised(int32_t code, std::vector<std::u16string_view> directives) {
    return ErrorOf([&] { CheckClientError(code, directives); });
  }
  void WriteEtx(std::string_view utf8) { dir_.Write("fin.etx", EtxBytes(utf8)); }

  TempFolder dir_;
  automation::Ref<Database> database_;
};

struct AcceptCase {
  std::string name;
  int32_t code;
  std::vector<std::u16string_view> directives;
  bool raised;
};

class AcceptTest : public CheckClientErrorTest, public ::testing::WithParamInterface<AcceptCase> {};

TEST_P(AcceptTest, AcceptsOnlyKeysListedWhole) {
  bool raised = false;
  try {
    CheckClientError(GetParam().code, GetParam().directives);
  } catch (const automation::AutomationError& e) {
    raised = true;
    EXPECT_EQ(e.number(), GetParam().code % 65536);
  }
  EXPECT_EQ(raised, GetParam().raised);
}

INSTANTIATE_TEST_SUITE_P(
    Directives, AcceptTest,
    ::testing::Values(
        AcceptCase{"ZeroWithoutDirectives", 0, {}, false},
        AcceptCase{"ZeroWithAcceptOfOtherKey", 0, {u"OK;19.1095"}, false},
        AcceptCase{"ListedFirst", kRecordMissing, {u"OK;19.1008,19.1095"}, false},
        AcceptCase{"ListedLast", kRecordMissing, {u"OK;19.1095,19.1008"}, false},
        AcceptCase{"InSecondDirective", kRecordMissing, {u"10;x", u"OK;19.1008"}, false},
        AcceptCase{"Unlisted", kRecordMissing, {u"OK;19.1095"}, true},
        AcceptCase{"EntryWithSuffix", kRecordMissing, {u"OK;19.1008X"}, true},
        AcceptCase{"EmptyList", kRecordMissing, {u"OK;"}, true},
        AcceptCase{"LowerCasePrefix", kRecordMissing, {u"ok;19.1008"}, true},
        AcceptCase{"NoSemicolon", kRecordMissing, {u"OK19.1008"}, true},
        AcceptCase{"OtherModuleSameNumber", ClientCode(9, 1008), {u"OK;19.1008"}, true},
        AcceptCase{"LongerModuleSameEnding", ClientCode(119, 1008), {u"OK;19.1008"}, true},
        AcceptCase{"NegativeCode", -1, {u"OK;0.-1"}, false},
        AcceptCase{"NoDirectives", kRecordMissing, {}, true}),
    [](const auto& info) { return info.param.name; });

struct KeyCase {
  std::string name;
  int32_t code;
  std::u16string key;
};

class ErrorKeyTest : public ::testing::TestWithParam<KeyCase> {};

TEST_P(ErrorKeyTest, SplitsModuleAndNumber) {
  EXPECT_EQ(ErrorKey(GetParam().code), GetParam().key);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, ErrorKeyTest,
    ::testing::Values(KeyCase{"Record", kRecordMissing, u"19.1008"},
                      KeyCase{"ModuleZero", 5, u"0.5"}, KeyCase{"MinusOne", -1, u"0.-1"},
                      KeyCase{"NegativeBoth", -(65536 * 3 + 7), u"-3.-7"},
                      KeyCase{"NumberZero", 65536 * 4, u"4.0"},
                      KeyCase{"HighNumber", 65536 + 65535, u"1.65535"},
                      KeyCase{"Smallest", std::numeric_limits<int32_t>::min(), u"-32768.0"},
                      KeyCase{"Largest", std::numeric_limits<int32_t>::max(), u"32767.65535"}),
    [](const auto& info) { return info.param.name; });

TEST_F(CheckClientErrorTest, WithoutAMessageFileRaisesTheUnknownErrorText) {
  const automation::AutomationError error = Raised(kRecordMissing, {});
  EXPECT_EQ(error.number(), 1008);
  EXPECT_EQ(error.source(), u"Talmo");
  EXPECT_EQ(error.description(),
            u"Unknown error 1008 in module 19\r\n:" + database_->NavisionPath());
}

TEST_F(CheckClientErrorTest, ANegativeCodeKeepsItsSignInTheFallbackText) {
  const automation::AutomationError error = Raised(-1, {});
  EXPECT_EQ(error.number(), -1);
  EXPECT_EQ(error.description(), u"Unknown error -1 in module 0\r\n:" + database_->NavisionPath());
}

TEST_F(CheckClientErrorTest, PutsTheErrorDisplayOffBeforeRaising) {
  RecordingDbClient& client = InstallConnectedClient();
  Raised(kRecordMissing, {});
  EXPECT_EQ(client.Trace(), "1:=False");
  client.ClearCalls();
  CheckClientError(kRecordMissing, std::vector<std::u16string_view>{u"OK;19.1008"});
  EXPECT_EQ(client.Trace(), "");
}

TEST_F(CheckClientErrorTest, RaisesTheMessageOfTheKeyWithItsLineEnd) {
  WriteEtx(kSampleEtx);
  EXPECT_EQ(Raised(ClientCode(19, 1095), {}).description(),
            u"Žádný záznam v rozsahu filtru.\r\nDruhý řádek hlášení.\r\n");
  // Same number in another module: its own text.
  EXPECT_EQ(Raised(ClientCode(9, 1008), {}).description(), u"Jiný modul, číslo %1 a %10.\r\n");
  // A key the file lacks falls back to the unknown error text.
  EXPECT_EQ(Raised(ClientCode(19, 7), {}).description(),
            u"Unknown error 7 in module 19\r\n:" + database_->NavisionPath());
}

TEST_F(CheckClientErrorTest, SubstitutesPlaceholdersInDirectiveOrder) {
  WriteEtx(kSampleEtx);
  EXPECT_EQ(Raised(kRecordMissing, {u"10;Customer"}).description(),
            u"Záznam v tabulce Customer neexistuje.\r\n");
  EXPECT_EQ(Raised(ClientCode(9, 1008), {u"10;Customer", u"1;x"}).description(),
            u"Jiný modul, číslo x a Customer.\r\n");
  // A prefix 1 also matches the start of %10 when it comes first.
  EXPECT_EQ(Raised(ClientCode(9, 1008), {u"1;x", u"10;Customer"}).description(),
            u"Jiný modul, číslo x a x0.\r\n");
  // Accept directives of other keys and elements without ";" do not substitute.
  EXPECT_EQ(Raised(kRecordMissing, {u"OK;19.1095", u"10", u"10;%10%10"}).description(),
            u"Záznam v tabulce %10%10 neexistuje.\r\n");
}

TEST_F(CheckClientErrorTest, AFailedLoadIsRetriedAtTheNextError) {
  EXPECT_EQ(Raised(kRecordMissing, {}).description().rfind(u"Unknown error 1008", 0), 0u);
  WriteEtx(kSampleEtx);
  EXPECT_EQ(Raised(kRecordMissing, {u"10;T"}).description(), u"Záznam v tabulce T neexistuje.\r\n");
}

TEST_F(CheckClientErrorTest, AMalformedFileIsIgnoredAndRetried) {
  WriteEtx("@1@19@\n@2@1008@\nText\n");
  EXPECT_EQ(Raised(kRecordMissing, {}).description().rfind(u"Unknown error 1008", 0), 0u);
  WriteEtx(kSampleEtx);
  EXPECT_EQ(Raised(kRecordMissing, {u"10;T"}).description(), u"Záznam v tabulce T neexistuje.\r\n");
}

TEST_F(CheckClientErrorTest, AnOversizedFileIsIgnoredAndRetried) {
  dir_.Write("fin.etx", EtxBytes(kSampleEtx) + std::string(kMaxErrorTextFileSize, '\n'));
  EXPECT_EQ(Raised(kRecordMissing, {}).description().rfind(u"Unknown error 1008", 0), 0u);
  WriteEtx(kSampleEtx);
  EXPECT_EQ(Raised(kRecordMissing, {u"10;T"}).description(), u"Záznam v tabulce T neexistuje.\r\n");
}

TEST_F(CheckClientErrorTest, LoadedTextsStayForTheProcess) {
  WriteEtx(kSampleEtx);
  Raised(kRecordMissing, {});
  std::filesystem::remove(dir_.path() / "fin.etx");
  database_->SetNavisionPath(u"/elsewhere");
  EXPECT_EQ(Raised(kRecordMissing, {u"10;T"}).description(), u"Záznam v tabulce T neexistuje.\r\n");
}

TEST_F(CheckClientErrorTest, TheFileIsFoundThroughTheCurrentDatabase) {
  WriteEtx(kSampleEtx);
  // The newer Database is the current one: its folder, not the older object's, is searched.
  automation::Ref<Database> newer = CreateDatabase();
  newer->SetNavisionPath(FromUtf8((dir_.path() / "elsewhere").string()));
  EXPECT_EQ(Raised(kRecordMissing, {}).description(),
            u"Unknown error 1008 in module 19\r\n:" + newer->NavisionPath());
  newer->SetNavisionPath(FromUtf8(dir_.path().string()));
  EXPECT_EQ(Raised(kRecordMissing, {u"10;T"}).description(), u"Záznam v tabulce T neexistuje.\r\n");
}

TEST_F(CheckClientErrorTest, WithoutACurrentDatabaseTheClientErrorIsStillReported) {
  global::SetCurrentDatabase(nullptr);
  const automation::AutomationError error = Raised(kRecordMissing, {});
  EXPECT_EQ(error.number(), 1008);
  EXPECT_EQ(error.description(), u"Unknown error 1008 in module 19\r\n:");
}

class LoadErrorTextsTest : public ::testing::Test {
 protected:
  ErrorTextMap Load(std::string_view utf8, std::string_view lineEnd = "\r\n") {
    return LoadErrorTexts(FromUtf8(dir_.Write("fin.etx", EtxBytes(utf8, lineEnd)).string()));
  }
  automation::AutomationError LoadError(std::string_view utf8) {
    return ErrorOf([&] { Load(utf8); });
  }
  TempFolder dir_;
};

TEST_F(LoadErrorTextsTest, ReadsEveryEntryOfEveryModule) {
  const ErrorTextMap texts = Load(kSampleEtx);
  EXPECT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts.at(u"19.1008"), u"Záznam v tabulce %10 neexistuje.\r\n");
  EXPECT_EQ(texts.at(u"19.1095"), u"Žádný záznam v rozsahu filtru.\r\nDruhý řádek hlášení.\r\n");
  EXPECT_EQ(texts.at(u"9.1008"), u"Jiný modul, číslo %1 a %10.\r\n");
}

TEST_F(LoadErrorTextsTest, LineFeedOnlyLinesReadTheSame) {
  EXPECT_EQ(Load(kSampleEtx, "\n"), Load(kSampleEtx));
}

TEST_F(LoadErrorTextsTest, TurnsCodePage852LettersIntoTheirWindowsForm) {
  const ErrorTextMap texts =
      Load("@1@1@\n@2@1@\nŽluťoučký kůň úpěl ďábelské ódy ĚŠČŘŽÝÁÍÉ\n@2@END@0@\n");
  EXPECT_EQ(texts.at(u"1.1"), u"Žluťoučký kůň úpěl ďábelské ódy ĚŠČŘŽÝÁÍÉ\r\n");
}

TEST_F(LoadErrorTextsTest, IgnoresTextOutsideModulesAndTheRestOfHeaderLines) {
  const ErrorTextMap texts = Load(
      "preface @2@9@ not an entry\n"
      "@1@20@Connection module, anything here\n"
      "@2@3@ rest ignored\n"
      "Closing failed.\n"
      "@2@END@0@\n"
      "between modules\n"
      "@1@21@\n"
      "@2@4@\n"
      "Database missing.\n"
      "@2@END@0@\n");
  EXPECT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts.at(u"20.3"), u"Closing failed.\r\n");
  EXPECT_EQ(texts.at(u"21.4"), u"Database missing.\r\n");
}

TEST_F(LoadErrorTextsTest, AModuleWithoutItsEndLineFailsTheWholeLoad) {
  const automation::AutomationError error =
      LoadError("@1@19@\n@2@1008@\nText\n@2@END@0@\n@1@20@\n@2@1@\nNo end\n");
  EXPECT_EQ(error.number(), 999);
  EXPECT_EQ(error.description(), u"Chyba v ETX souboru");
}

TEST_F(LoadErrorTextsTest, ADuplicateKeyFailsTheLoad) {
  LoadError("@1@19@\n@2@1008@\nOne\n@2@1008@\nTwo\n@2@END@0@\n");
  LoadError("@1@19@\n@2@1008@\nOne\n@2@END@0@\n@1@19@\n@2@1008@\nAgain\n@2@END@0@\n");
}

TEST_F(LoadErrorTextsTest, AHeaderWithoutItsClosingAtFailsTheLoad) {
  LoadError("@1@19\n@2@1008@\nText\n@2@END@0@\n");
  LoadError("@1@19@\n@2@1008\nText\n@2@END@0@\n");
}

TEST_F(LoadErrorTextsTest, AMissingFileFails) {
  EXPECT_THROW(LoadErrorTexts(FromUtf8((dir_.path() / "absent.etx").string())),
               automation::AutomationError);
}

TEST_F(LoadErrorTextsTest, AnEmptyFileGivesNoTexts) { EXPECT_TRUE(Load("").empty()); }

// Such files are refused as malformed without being read: a device or a FIFO would never end
// (or never open) and an oversized file would cost its size at every retried load.
TEST_F(LoadErrorTextsTest, RefusesWhatIsNotARegularFileOfABoundedSize) {
  const std::filesystem::path folder = dir_.path();
  std::filesystem::create_symlink("/dev/zero", folder / "device.etx");
  ASSERT_EQ(::mkfifo((folder / "fifo.etx").c_str(), 0600), 0);
  std::filesystem::create_directory(folder / "folder.etx");
  // Sparse files of zeros: at the bound an empty message file, one byte more refused.
  std::filesystem::resize_file(dir_.Write("largest.etx", ""), kMaxErrorTextFileSize);
  std::filesystem::resize_file(dir_.Write("larger.etx", ""), kMaxErrorTextFileSize + 1);
  EXPECT_TRUE(LoadErrorTexts(FromUtf8((folder / "largest.etx").string())).empty());
  for (const char* name : {"device.etx", "fifo.etx", "folder.etx", "larger.etx"}) {
    const automation::AutomationError error =
        ErrorOf([&] { LoadErrorTexts(FromUtf8((folder / name).string())); });
    EXPECT_EQ(error.number(), 999) << name;
    EXPECT_EQ(error.description(), u"Chyba v ETX souboru") << name;
  }
}

TEST_F(LoadErrorTextsTest, ReadsFilesLargerThanTheWorkingBuffer) {
  std::string etx = "@1@30@\n";
  for (int i = 0; i < 3000; ++i) {
    etx += "@2@" + std::to_string(i) + "@\nZpráva číslo " + std::to_string(i) + " s textem.\n";
  }
  etx += "@2@END@0@\n";
  const ErrorTextMap texts = Load(etx);
  ASSERT_EQ(texts.size(), 3000u);
  EXPECT_EQ(texts.at(u"30.0"), u"Zpráva číslo 0 s textem.\r\n");
  EXPECT_EQ(texts.at(u"30.1234"), u"Zpráva číslo 1234 s textem.\r\n");
  EXPECT_EQ(texts.at(u"30.2999"), u"Zpráva číslo 2999 s textem.\r\n");
}

}  // namespace
}  // namespace talmo::testing
