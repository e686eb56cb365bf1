// The program's button actions on the real component: connection handling, the timed Test
// run with its log, failed orders, and errors that reach the window.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <regex>
#include <vector>

#include "automation/registry.h"
#include "automation/text.h"
#include "demo_program.h"
#include "demo_test_support.h"
#include "regional_scope.h"

namespace talmo_demo::testing {
namespace {

using automation::Variant;

// A clock that returns the given times in turn (the last one from then on).
Clock TimeSequence(std::vector<double> times) {
  auto next = std::make_shared<size_t>(0);
  return [times = std::move(times), next] {
    const double t = times[std::min(*next, times.size() - 1)];
    ++*next;
    return t;
  };
}

std::string Utf8(const Variant& v) { return automation::ToUtf8(v.ToString()); }
std::string DateText(double serial) { return Utf8(Variant::Date(serial)); }
std::string NumberText(double value) { return Utf8(Variant(value)); }

// Start, End, Doba and Rychl read the clock in this order.
constexpr double kStart = 45678.5;
const std::vector<double> kRunTimes = {kStart, kStart + 0.00001, kStart + 0.0000123,
                                       kStart + 0.0000369};

class ProgramTest : public LiveDemoTest {
 protected:
  DemoSettings TimedSettings() const {
    DemoSettings settings = Settings();
    settings.clock = TimeSequence(kRunTimes);
    return settings;
  }

  // The log of a Test run of three orders with the clock above, after the session number.
  static std::string ExpectedRunLog(int totalSessions = 1) {
    return "TotalSessions: " + std::to_string(totalSessions) +
           "\r\nStart: " + DateText(kRunTimes[0]) + "\r\n***\r\n  End: " + DateText(kRunTimes[1]) +
           "\r\n Doba: " + NumberText(1.23) + "\r\nRychl: " + NumberText(1.23) + "\r\n";
  }

  RecordingHost host_;
};

TEST_F(ProgramTest, TestRunLogsStatisticsMarksAndTimes) {
  DemoProgram program(host_, TimedSettings());
  const std::optional<OrderRunSummary> run = program.TestClicked();
  ASSERT_TRUE(run.has_value());
  EXPECT_EQ(run->orders, 3);
  EXPECT_EQ(run->failed, 0);
  EXPECT_TRUE(host_.errors.empty());

  const std::string log = host_.Log();
  std::smatch session;
  ASSERT_TRUE(std::regex_search(log, session, std::regex("^    SessionID: (\\d+)\r\n"))) << log;
  EXPECT_EQ(log.substr(session.length()), ExpectedRunLog());
  LateObject connection = program.Connection();
  EXPECT_EQ(session[1].str(), Utf8(connection.Get(u"GetStat", int32_t{1})));
  EXPECT_EQ(host_.logShown, 1);
  // Once after the statistics, once before each order, once before the times.
  EXPECT_EQ(host_.eventsProcessed, 5);
}

struct LogFormRow {
  const char* name;
  automation::Region region;
  std::string times;  // the log from "Start" on, with the clock above
};

void PrintTo(const LogFormRow& row, std::ostream* os) { *os << row.name; }

class RegionalLogTest : public ProgramTest, public ::testing::WithParamInterface<LogFormRow> {};

TEST_P(RegionalLogTest, TimesAndFiguresTakeTheUsersForms) {
  const talmo::testing::RegionalScope scope(GetParam().region);
  DemoProgram program(host_, TimedSettings());
  ASSERT_TRUE(program.TestClicked().has_value());
  EXPECT_NE(host_.Log().find(GetParam().times), std::string::npos) << host_.Log();
}

INSTANTIATE_TEST_SUITE_P(
    Regions, RegionalLogTest,
    ::testing::Values(LogFormRow{"enUS", automation::Region::kEnglishUnitedStates,
                                 "\r\nStart: 1/21/2025 12:00:00 PM\r\n***\r\n"
                                 "  End: 1/21/2025 12:00:01 PM\r\n Doba: 1.23\r\nRychl: 1.23\r\n"},
                      LogFormRow{"csCZ", automation::Region::kCzech,
                                 "\r\nStart: 21.1.2025 12:00:00\r\n***\r\n"
                                 "  End: 21.1.2025 12:00:01\r\n Doba: 1,23\r\nRychl: 1,23\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ProgramTest, TestRunCreatesThreeOrdersAndASecondRunContinuesTheNumbers) {
  DemoProgram program(host_, Settings());
  const std::optional<OrderRunSummary> first = program.TestClicked();
  ASSERT_TRUE(first.has_value());
  EXPECT_EQ(first->created, (std::vector<std::u16string>{u"OBJ00001", u"OBJ00002", u"OBJ00003"}));
  EXPECT_EQ(OrderNumbers(), first->created);
  EXPECT_EQ(DemoCustomers(), (std::vector<std::u16string>{u"3501", u"3502", u"3503"}));

  const std::optional<OrderRunSummary> second = program.TestClicked();
  ASSERT_TRUE(second.has_value());
  EXPECT_EQ(second->created, (std::vector<std::u16string>{u"OBJ00004", u"OBJ00005", u"OBJ00006"}));
  EXPECT_EQ(OrderNumbers(), (std::vector<std::u16string>{u"OBJ00001", u"OBJ00002", u"OBJ00003",
                                                         u"OBJ00004", u"OBJ00005", u"OBJ00006"}));
  EXPECT_EQ(DemoCustomers().size(), 6u);
  EXPECT_EQ(DemoCustomers().back(), u"3506");
  for (const std::u16string& order : OrderNumbers()) {
    EXPECT_EQ(LineNumbers(order), (std::vector<int32_t>{20000, 30000, 40000}))
        << automation::ToUtf8(order);
  }
  // The second run cleared the log first.
  EXPECT_EQ(Occurrences(host_.Log(), "*"), 3u);
  EXPECT_TRUE(host_.errors.empty());
}

// Makes the second order of a run fail half-way: its third line repeats the second's line
// number, so the header, the customer and two lines are already written when it fails.
class SecondOrderFails final : public DemoProgram {
 public:
  using DemoProgram::DemoProgram;

 protected:
  std::u16string CreateOneOrder(DemoScenarios& scenarios) override {
    if (++orders_ != 2) return DemoProgram::CreateOneOrder(scenarios);
    SampleOrder order = scenarios.MakeSampleOrder();
    order.lines[3].lineNo = order.lines[2].lineNo;
    scenarios.WriteOrder(order.header, order.lines);
    return order.header.documentNo;
  }

 private:
  int orders_ = 0;
};

TEST_F(ProgramTest, AFailedOrderIsRolledBackAndTheOthersAreKept) {
  SecondOrderFails program(host_, TimedSettings());
  const std::optional<OrderRunSummary> run = program.TestClicked();
  ASSERT_TRUE(run.has_value());
  EXPECT_EQ(run->orders, 3);
  EXPECT_EQ(run->failed, 1);
  EXPECT_EQ(run->created, (std::vector<std::u16string>{u"OBJ00001", u"OBJ00002"}));
  EXPECT_NE(automation::ToUtf8(run->lastError).find("30000"), std::string::npos)
      << automation::ToUtf8(run->lastError);
  // Still three marks and the time per order divided by three.
  EXPECT_NE(host_.Log().find(ExpectedRunLog()), std::string::npos) << host_.Log();
  EXPECT_TRUE(host_.errors.empty());

  // The first order stays; the failed one left nothing; the third took its numbers.
  EXPECT_EQ(OrderNumbers(), (std::vector<std::u16string>{u"OBJ00001", u"OBJ00002"}));
  EXPECT_EQ(DemoCustomers(), (std::vector<std::u16string>{u"3501", u"3502"}));
  EXPECT_EQ(LineNumbers(u"OBJ00001"), (std::vector<int32_t>{20000, 30000, 40000}));
  EXPECT_EQ(LineNumbers(u"OBJ00002"), (std::vector<int32_t>{20000, 30000, 40000}));
  EXPECT_EQ(Count(37), 6);
}

TEST_F(ProgramTest, WithoutItemsEveryOrderFailsAndTheRunStillEnds) {
  InTransaction([&] { Table(27).Call(u"DeleteAll"); });
  DemoProgram program(host_, TimedSettings());
  const std::optional<OrderRunSummary> run = program.TestClicked();
  ASSERT_TRUE(run.has_value());
  EXPECT_EQ(run->failed, 3);
  EXPECT_EQ(run->lastError, u"No Items");
  // The test's own Database, used to delete the items, is the second session.
  EXPECT_NE(host_.Log().find(ExpectedRunLog(2)), std::string::npos) << host_.Log();
  EXPECT_TRUE(OrderNumbers().empty());
  EXPECT_TRUE(DemoCustomers().empty());
}

TEST_F(ProgramTest, ConnectTwiceKeepsTheConnectionAndRewritesTheLog) {
  DemoProgram program(host_, Settings());
  EXPECT_FALSE(program.IsConnected());
  ASSERT_TRUE(program.ConnectClicked());
  EXPECT_EQ(host_.log, u"Connected\r\n");
  automation::Dispatch* const first = program.Connection().get();
  host_.log = u"something else";
  ASSERT_TRUE(program.ConnectClicked());
  EXPECT_EQ(host_.log, u"Connected\r\n");
  EXPECT_EQ(program.Connection().get(), first);
  EXPECT_TRUE(host_.errors.empty());
  // The demo's INI file is named once connected, in the program's folder.
  ASSERT_NE(program.DemoIni(), nullptr);
  EXPECT_EQ(automation::ToUtf8(program.DemoIni()->FileName()), DemoIniPath().string());
}

TEST_F(ProgramTest, DisconnectWithoutConnectionConnectsThenCloses) {
  DemoProgram program(host_, Settings());
  ASSERT_TRUE(program.DisconnectClicked());
  EXPECT_FALSE(program.IsConnected());
  EXPECT_TRUE(host_.errors.empty());
  // The process's connection is closed: a Database finds no company.
  LateObject probe(automation::CreateObject(u"Talmo.Database"));
  EXPECT_NE(ErrorOf([&] { probe.Call(u"CompanyName"); }).number(), 0);
  // And may be opened again.
  ASSERT_TRUE(program.ConnectClicked());
  EXPECT_TRUE(program.IsConnected());
  LateObject connection = program.Connection();
  EXPECT_EQ(Utf8(connection.Call(u"CompanyName")), TALMO_SAMPLE_COMPANY);
}

TEST_F(ProgramTest, AFailedConnectIsShownAndLaterPressesSkipTheConnectStep) {
  DemoSettings settings = Settings();
  settings.connectionIni = automation::FromUtf8((Folder() / "Talmo-missing-company.ini").string());
  std::ofstream(Folder() / "Talmo-missing-company.ini")
      << "[Database]\nLibPath=" << TALMO_BIN_DIR
      << "\nDatabase=" << (Folder() / "sample.db").string() << "\nCompanyName=No Such Company\n";
  DemoProgram program(host_, settings);
  EXPECT_FALSE(program.ConnectClicked());
  ASSERT_EQ(host_.errors.size(), 1u);
  EXPECT_NE(host_.errors[0].number(), 0);
  EXPECT_FALSE(host_.errors[0].description().empty());
  EXPECT_EQ(host_.log, u"");
  // The Database of the failed attempt is kept as the connection.
  EXPECT_TRUE(program.IsConnected());
  automation::Dispatch* const kept = program.Connection().get();
  program.ConnectClicked();
  EXPECT_EQ(program.Connection().get(), kept);
}

TEST_F(ProgramTest, ClicksDuringAnActionAreIgnored) {
  DemoProgram program(host_, Settings());
  std::vector<bool> nested;
  host_.duringEvents = [&] {
    nested.push_back(program.DisconnectClicked());
    nested.push_back(program.ConnectClicked());
  };
  ASSERT_TRUE(program.TestClicked().has_value());
  host_.duringEvents = nullptr;
  EXPECT_FALSE(nested.empty());
  EXPECT_TRUE(std::none_of(nested.begin(), nested.end(), [](bool ran) { return ran; }));
  EXPECT_TRUE(program.IsConnected());
  EXPECT_NE(host_.Log().find("Rychl: "), std::string::npos);
  EXPECT_EQ(OrderNumbers().size(), 3u);
  // Once the action is over, clicks work again.
  EXPECT_TRUE(program.ConnectClicked());
  EXPECT_EQ(host_.log, u"Connected\r\n");
}

TEST_F(ProgramTest, AnErrorIsShownWithItsNumberAndTheProgramGoesOn) {
  std::ofstream(DemoIniPath()) << "[Counters]\nLastItemInventory=x\n";
  DemoProgram program(host_, Settings());
  EXPECT_FALSE(program.PokusClicked().has_value());
  ASSERT_EQ(host_.errors.size(), 1u);
  EXPECT_EQ(host_.errors[0].number(), 13);
  EXPECT_TRUE(program.TestClicked().has_value());
  EXPECT_EQ(OrderNumbers().size(), 3u);
  EXPECT_EQ(host_.errors.size(), 1u);
}

}  // namespace
}  // namespace talmo_demo::testing
