// TalmoDemo's command line.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "automation/text.h"
#include "headless_runner.h"
#include "temp_folder.h"

namespace talmo_demo {
namespace {

CommandLine Parse(std::vector<std::string_view> args) { return ParseCommandLine(args); }

struct ValidRow {
  const char* name;
  std::vector<std::string_view> args;
  bool headless;
  std::vector<DemoCommand> commands;
  int16_t orders;
};

void PrintTo(const ValidRow& row, std::ostream* os) { *os << row.name; }

class ValidCommandLineTest : public ::testing::TestWithParam<ValidRow> {};

TEST_P(ValidCommandLineTest, Parses) {
  const ValidRow& row = GetParam();
  const CommandLine line = Parse(row.args);
  EXPECT_EQ(line.error, "");
  EXPECT_EQ(line.headless, row.headless);
  EXPECT_EQ(line.commands, row.commands);
  EXPECT_EQ(line.ordersPerTest, row.orders);
}

using enum DemoCommand;

INSTANTIATE_TEST_SUITE_P(
    Lines, ValidCommandLineTest,
    ::testing::Values(
        ValidRow{"NoArgumentsOpensTheWindow", {}, false, {}, 3},
        ValidRow{"DemoScript",
                 {"--headless", "connect", "test", "pokus"},
                 true,
                 {kConnect, kTest, kPokus},
                 3},
        ValidRow{"AnySequenceWithRepeats",
                 {"--headless", "test", "test", "disconnect", "pokus", "connect"},
                 true,
                 {kTest, kTest, kDisconnect, kPokus, kConnect},
                 3},
        ValidRow{"OrdersAnywhere", {"test", "--orders", "25", "--headless"}, true, {kTest}, 25},
        ValidRow{
            "CaseInsensitive", {"--HEADLESS", "Connect", "POKUS"}, true, {kConnect, kPokus}, 3},
        ValidRow{"LargestOrderCount",
                 {"--headless", "--orders", "32767", "test"},
                 true,
                 {kTest},
                 32767}),
    [](const ::testing::TestParamInfo<ValidRow>& info) { return info.param.name; });

struct InvalidRow {
  const char* name;
  std::vector<std::string_view> args;
};

void PrintTo(const InvalidRow& row, std::ostream* os) { *os << row.name; }

class InvalidCommandLineTest : public ::testing::TestWithParam<InvalidRow> {};

TEST_P(InvalidCommandLineTest, IsAUsageError) { EXPECT_NE(Parse(GetParam().args).error, ""); }

INSTANTIATE_TEST_SUITE_P(
    Lines, InvalidCommandLineTest,
    ::testing::Values(InvalidRow{"HeadlessWithoutCommands", {"--headless"}},
                      InvalidRow{"CommandsWithoutHeadless", {"connect"}},
                      InvalidRow{"OrdersWithoutHeadless", {"--orders", "5"}},
                      InvalidRow{"UnknownCommand", {"--headless", "connect", "post"}},
                      InvalidRow{"OrdersWithoutNumber", {"--headless", "test", "--orders"}},
                      InvalidRow{"OrdersZero", {"--headless", "--orders", "0", "test"}},
                      InvalidRow{"OrdersNegative", {"--headless", "--orders", "-3", "test"}},
                      InvalidRow{"OrdersBeyond16Bits", {"--headless", "--orders", "32768", "test"}},
                      InvalidRow{"OrdersNotANumber", {"--headless", "--orders", "5x", "test"}},
                      InvalidRow{"IniWithoutFile", {"--headless", "connect", "--ini"}},
                      InvalidRow{"IniEmpty", {"--ini", ""}}),
    [](const ::testing::TestParamInfo<InvalidRow>& info) { return info.param.name; });

TEST(CommandLineTest, IniNamesTheConnectionSettingsInBothModes) {
  const CommandLine window = Parse({"--ini", "/srv/demo/Talmo.ini"});
  EXPECT_EQ(window.error, "");
  EXPECT_FALSE(window.headless);
  EXPECT_EQ(window.connectionIni, u"/srv/demo/Talmo.ini");

  const CommandLine headless =
      Parse({"--headless", "connect", "--ini", "Jiný.ini", "--orders", "4"});
  EXPECT_EQ(headless.error, "");
  const DemoSettings settings = ApplyCommandLine(headless, DemoSettings{});
  EXPECT_EQ(settings.connectionIni, u"Jiný.ini");
  EXPECT_EQ(settings.ordersPerTest, 4);
}

TEST(CommandLineTest, IniFileIsTakenFromTheCurrentFolderAndMustExist) {
  const talmo::testing::TempFolder folder;
  folder.Write("Talmo.ini", "[Database]\n");
  CommandLine present = Parse({"--ini", "Talmo.ini"});
  EXPECT_EQ(ResolveConnectionIni(present, folder.path()), "");
  EXPECT_EQ(present.connectionIni, automation::FromUtf8(folder.File("Talmo.ini")));

  CommandLine missing = Parse({"--headless", "connect", "--ini", "Chybí.ini"});
  EXPECT_EQ(ResolveConnectionIni(missing, folder.path()),
            "--ini: the file " + folder.File("Chybí.ini") + " does not exist");
  // A folder is not an INI file either.
  CommandLine folderGiven = Parse({"--ini", folder.path().string()});
  EXPECT_NE(ResolveConnectionIni(folderGiven, "/"), "");
  // Without --ini the component's own Talmo.ini is used, wherever the program runs.
  CommandLine none = Parse({"--headless", "test"});
  EXPECT_EQ(ResolveConnectionIni(none, folder.path()), "");
  EXPECT_EQ(none.connectionIni, u"");
}

TEST(CommandLineTest, WithoutIniTheComponentsTalmoIniIsUsed) {
  const DemoSettings settings = ApplyCommandLine(Parse({"--headless", "test"}), DemoSettings{});
  EXPECT_EQ(settings.connectionIni, u"Talmo.ini");
  EXPECT_EQ(settings.ordersPerTest, 3);
}

}  // namespace
}  // namespace talmo_demo
