// TalmoDemo --headless: the same actions without a window, the log on standard output.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>

#include "demo_test_support.h"
#include "headless_runner.h"

namespace talmo_demo::testing {
namespace {

class HeadlessTest : public LiveDemoTest {
 protected:
  int Run(std::vector<std::string_view> args) {
    const CommandLine line = ParseCommandLine(args);
    EXPECT_EQ(line.error, "");
    return RunHeadless(line, Settings(), out_, err_);
  }
  std::ostringstream out_;
  std::ostringstream err_;
};

TEST_F(HeadlessTest, RunsTheActionsInOrderAndPrintsTheLog) {
  EXPECT_EQ(Run({"--headless", "connect", "test", "pokus", "disconnect"}), 0);
  const std::string out = out_.str();
  EXPECT_EQ(err_.str(), "");
  EXPECT_EQ(out.find('\r'), std::string::npos);
  const size_t connected = out.find("Connected\n");
  const size_t session = out.find("    SessionID: ");
  const size_t marks = out.find("\n***\n");
  const size_t duration = out.find("\n Doba: ");
  const size_t perOrder = out.find("\nRychl: ");
  const size_t test = out.find("# test: 3 orders, 0 failed, created OBJ00001 to OBJ00003\n");
  const size_t pokus = out.find("# pokus: ");
  const size_t disconnected = out.find("# disconnected\n");
  for (size_t at : {connected, session, marks, duration, perOrder, test, pokus, disconnected}) {
    ASSERT_NE(at, std::string::npos) << out;
  }
  EXPECT_LT(connected, session);
  EXPECT_LT(session, marks);
  EXPECT_LT(marks, duration);
  EXPECT_LT(duration, perOrder);
  EXPECT_LT(perOrder, test);
  EXPECT_LT(test, pokus);
  EXPECT_LT(pokus, disconnected);
  EXPECT_NE(out.find("20 item ledger entries processed"), std::string::npos) << out;
  EXPECT_EQ(OrderNumbers().size(), 3u);
}

// The program takes the regional settings from its environment: a Czech user's log shows
// Czech dates, times and figures.
TEST_F(HeadlessTest, ProgramLogFollowsTheEnvironmentsSettings) {
  const std::string command = "LC_ALL=cs_CZ.UTF-8 '" + std::string(TALMO_DEMO_PROGRAM) +
                              "' --ini '" + (Folder() / "Talmo.ini").string() +
                              "' --headless connect test 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string out;
  char buffer[4096];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
  EXPECT_EQ(pclose(pipe), 0) << out;
  const std::regex czechTimes(
      "\nStart: \\d{1,2}\\.\\d{1,2}\\.\\d{4} \\d{1,2}:\\d\\d:\\d\\d\n\\*\\*\\*\n"
      "  End: \\d{1,2}\\.\\d{1,2}\\.\\d{4} \\d{1,2}:\\d\\d:\\d\\d\n Doba: \\d+(,\\d+)?\n");
  EXPECT_TRUE(std::regex_search(out, czechTimes)) << out;
}

TEST_F(HeadlessTest, OrdersOptionSetsTheOrdersOfEachTestRun) {
  EXPECT_EQ(Run({"--headless", "--orders", "5", "test", "test"}), 0);
  const std::string out = out_.str();
  EXPECT_EQ(Occurrences(out, "\n*****\n"), 2u) << out;
  EXPECT_NE(out.find("# test: 5 orders, 0 failed, created OBJ00001 to OBJ00005\n"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("# test: 5 orders, 0 failed, created OBJ00006 to OBJ00010\n"),
            std::string::npos)
      << out;
  EXPECT_EQ(OrderNumbers().size(), 10u);
}

TEST_F(HeadlessTest, ErrorsGoToStandardErrorAndTheRunGoesOn) {
  std::ofstream(DemoIniPath()) << "[Counters]\nLastItemInventory=x\n";
  EXPECT_EQ(Run({"--headless", "pokus", "connect"}), 1);
  EXPECT_EQ(err_.str(), "TalmoDemo: Run-time error '13': Type mismatch\n");
  EXPECT_NE(out_.str().find("Connected\n"), std::string::npos);
  EXPECT_EQ(out_.str().find("# pokus"), std::string::npos);
}

TEST_F(HeadlessTest, FailedOrdersMakeTheRunFail) {
  InTransaction([&] { Table(27).Call(u"DeleteAll"); });
  EXPECT_EQ(Run({"--headless", "test"}), 1);
  EXPECT_NE(out_.str().find("# test: 3 orders, 3 failed (last error: No Items)"), std::string::npos)
      << out_.str();
}

}  // namespace
}  // namespace talmo_demo::testing
