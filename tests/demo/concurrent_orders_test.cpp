// Two TalmoDemo processes creating orders at once on one database on the server: every order
// whole, no number twice, within a bounded time (generous: the suite also runs under ASan).
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <thread>

#include "automation/text.h"
#include "demo_test_support.h"

namespace talmo_demo::testing {
namespace {

constexpr int kOrdersEach = 200;
constexpr auto kTimeLimit = std::chrono::minutes(20);

class ConcurrentOrdersTest : public LiveDemoTest {
 protected:
  // Starts TalmoDemo --headless --orders N test on this test's database; its output goes
  // to `log`.
  pid_t Start(const std::filesystem::path& log) {
    const std::string program = std::string(TALMO_BIN_DIR) + "/TalmoDemo";
    const std::string ini = automation::ToUtf8(ConnectionIni());
    const std::string orders = std::to_string(kOrdersEach);
    const pid_t child = fork();
    if (child == 0) {
      const int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      dup2(fd, 1);
      dup2(fd, 2);
      execl(program.c_str(), program.c_str(), "--ini", ini.c_str(), "--headless", "--orders",
            orders.c_str(), "test", static_cast<char*>(nullptr));
      _exit(127);
    }
    return child;
  }

  // Waits for `child` until the deadline; a child still running then is killed: a failure.
  static int Wait(pid_t child, std::chrono::steady_clock::time_point deadline) {
    int status = 0;
    while (waitpid(child, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > deadline) {
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
        ADD_FAILURE() << "TalmoDemo did not finish in time";
        return -1;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  static std::string Read(const std::filesystem::path& file) {
    std::ostringstream text;
    text << std::ifstream(file).rdbuf();
    return text.str();
  }
};

TEST_F(ConcurrentOrdersTest, TwoProcessesMakeEveryOrderWholeAndNoNumberTwice) {
  const auto deadline = std::chrono::steady_clock::now() + kTimeLimit;
  const std::filesystem::path logs[] = {Folder() / "first.log", Folder() / "second.log"};
  const pid_t first = Start(logs[0]);
  const pid_t second = Start(logs[1]);
  ASSERT_GT(first, 0);
  ASSERT_GT(second, 0);
  EXPECT_EQ(Wait(first, deadline), 0) << Read(logs[0]);
  EXPECT_EQ(Wait(second, deadline), 0) << Read(logs[1]);
  for (const auto& log : logs) {
    EXPECT_NE(Read(log).find("# test: 200 orders, 0 failed"), std::string::npos) << Read(log);
  }

  const std::vector<std::u16string> numbers = OrderNumbers();
  EXPECT_EQ(numbers.size(), 2u * kOrdersEach);
  EXPECT_EQ(std::set<std::u16string>(numbers.begin(), numbers.end()).size(), numbers.size());
  for (const std::u16string& number : numbers) {
    ASSERT_EQ(LineNumbers(number).size(), LineNumbers(numbers.front()).size())
        << automation::ToUtf8(number) << ": an order with lines missing";
  }
  EXPECT_FALSE(LineNumbers(numbers.front()).empty());
}

}  // namespace
}  // namespace talmo_demo::testing
