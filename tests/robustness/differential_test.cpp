// The component's two paths to the client, native and late bound, compared: the same
// scenarios on two copies of the sample database give the same transcript (results and
// error texts) and byte-identical database dumps.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <string>
#include <vector>

#include "child_process.h"
#include "demo_test_support.h"

namespace talmo::testing {
namespace {

struct PathRun {
  std::vector<std::string> transcript;
  long lastErrorCalls = -1;  // calls of member 45 the client counted
  std::string dump;
};

// The SQL text of every table and row of a database file, in a fixed order.
std::string Dump(const std::filesystem::path& file) {
  const std::string command = "sqlite3 '" + file.string() + "' .dump";
  FILE* pipe = popen(command.c_str(), "r");
  std::string text;
  if (pipe == nullptr) return text;
  char buffer[65536];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) text.append(buffer, n);
  EXPECT_EQ(pclose(pipe), 0) << command;
  return text;
}

class DifferentialTest : public talmo_demo::testing::LiveDemoTest {
 protected:
  // Runs the transcript program on a fresh copy of the sample database, the client reached
  // late bound only when `lateBound`.
  PathRun RunOn(bool lateBound) {
    TempFolder& folder = folders_.emplace_back();
    const std::filesystem::path database = folder.path() / "sample.db";
    std::filesystem::copy_file(std::filesystem::path(TALMO_BIN_DIR) / "sample.db", database);
    folder.Write("Talmo.ini", "[Database]\nLibPath=" + std::string(TALMO_BIN_DIR) +
                                  "\nDatabase=" + database.string() +
                                  "\nCompanyName=" + TALMO_SAMPLE_COMPANY + "\n");
    if (lateBound) {
      setenv("TALMO_CLIENT_BINDING", "late", 1);
    } else {
      unsetenv("TALMO_CLIENT_BINDING");
    }
    PathRun run;
    {
      ChildProcess program({TALMO_CALL_TRANSCRIPT, (folder.path() / "Talmo.ini").string()});
      run.transcript = program.ReadAll();
      const int status = program.Wait();
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    unsetenv("TALMO_CLIENT_BINDING");
    const std::string prefix = "member 45 calls: ";
    if (!run.transcript.empty() && run.transcript.back().starts_with(prefix)) {
      run.lastErrorCalls = std::stol(run.transcript.back().substr(prefix.size()));
      run.transcript.pop_back();
    }
    run.dump = Dump(database);
    return run;
  }

  std::deque<TempFolder> folders_;
};

size_t CountContaining(const std::vector<std::string>& lines, const std::string& part) {
  return static_cast<size_t>(std::count_if(lines.begin(), lines.end(), [&](const std::string& l) {
    return l.find(part) != std::string::npos;
  }));
}

TEST_F(DifferentialTest, BothPathsGiveTheSameResultsErrorsAndData) {
  const PathRun late = RunOn(true);
  const PathRun native = RunOn(false);

  // Each run took the path it was meant to, and the scenarios ran their course.
  EXPECT_GT(late.lastErrorCalls, 1000);
  EXPECT_EQ(native.lastErrorCalls, 0);
  ASSERT_GT(late.transcript.size(), 200u);
  EXPECT_EQ(CountContaining(late.transcript, "order = String OBJ0000"), 3u);
  EXPECT_GT(CountContaining(late.transcript, " ! "), 30u) << "refused values and missing keys";
  EXPECT_EQ(CountContaining(late.transcript, "scan count 1000"), 2u);
  EXPECT_EQ(CountContaining(late.transcript, "ledger steps 173 entries 3453"), 1u);

  ASSERT_EQ(late.transcript.size(), native.transcript.size());
  for (size_t i = 0; i < late.transcript.size(); ++i) {
    EXPECT_EQ(late.transcript[i], native.transcript[i]) << "line " << i + 1;
  }
  ASSERT_FALSE(late.dump.empty());
  EXPECT_TRUE(late.dump == native.dump) << "the two databases differ";
}

}  // namespace
}  // namespace talmo::testing
