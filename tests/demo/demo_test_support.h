// Shared pieces of the demo's tests: a temporary folder, a DemoHost that records what the
// window would show, and a fixture that runs the demo against the built component and
// database client on a fresh copy of the sample database.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "automation/automation_error.h"
#include "demo_program.h"
#include "late_object.h"
#include "util/cls_ini_file.h"
#include "error_of.h"
#include "temp_folder.h"
#include "test_server.h"

namespace talmo_demo::testing {

using talmo::testing::TempFolder;

// A log box model: SetLogText puts the insertion point at the start, WriteLog inserts there
// and moves it on, as the window's text box does.
class RecordingHost : public DemoHost {
 public:
  void SetLogText(std::u16string_view text) override;
  void WriteLog(std::u16string_view text) override;
  void ShowLog() override { ++logShown; }
  void ProcessPendingEvents() override;
  void ShowError(const automation::AutomationError& error) override;

  std::string Log() const;  // UTF-8
  std::u16string log;
  size_t insertionPoint = 0;
  int logShown = 0;
  int eventsProcessed = 0;
  std::vector<automation::AutomationError> errors;
  // Runs inside ProcessPendingEvents, as a click arriving during a long action would.
  std::function<void()> duringEvents;
};

class LiveDemoTest : public ::testing::Test {
 protected:
  // Registers libTalmo.so and libDbClient.so in a registry file of the suite's own.
  static void SetUpTestSuite();
  static void TearDownTestSuite();
  // A fresh copy of the sample database (on the program's backend) with a Talmo.ini for it,
  // in a folder of the test's own that is also the demo's folder (TalmoDemo.ini).
  void SetUp() override;
  // Closes the process's connection when one is open.
  void TearDown() override;

  // Settings that point the demo at this test's database and folder.
  DemoSettings Settings() const;
  std::u16string ConnectionIni() const;
  const std::filesystem::path& Folder() const { return folder_->path(); }
  std::filesystem::path DemoIniPath() const { return Folder() / "TalmoDemo.ini"; }
  // Changes the test's database as another program would (see SampleCopy::Exec).
  void OtherProgram(const std::string& sql) const { sample_->Exec(sql); }

  // A Database on the process's connection, connecting when the demo has not.
  LateObject Database();
  // The demo INI file as the program names it.
  talmo::clsIniFile DemoIni() const;

  // Reads back: a table, a record by its primary key (nullopt when missing), a count.
  LateObject Table(int16_t tableNo);
  std::optional<LateObject> Record(int16_t tableNo, std::vector<automation::Variant> key);
  int32_t Count(int16_t tableNo);
  // Field `n` of `table`'s current record.
  static automation::Variant Field(LateObject& table, int32_t n);
  // The number (field 1) of the item the demo's lines take: the first item.
  std::u16string FirstItemNo();
  // Document numbers of the sales orders (type 1), in key order.
  std::vector<std::u16string> OrderNumbers();
  // Line numbers of one sales order.
  std::vector<int32_t> LineNumbers(std::u16string_view documentNo);
  // Customer numbers within 3500..3699, the demo's range and the number beyond it.
  std::vector<std::u16string> DemoCustomers();
  // Runs `action` inside a write transaction of its own.
  template <class F>
  void InTransaction(F&& action) {
    LateObject database = Database();
    database.Call(u"BWT");
    action();
    database.Call(u"EWT");
  }

 private:
  std::optional<TempFolder> folder_;
  std::optional<talmo::testing::SampleCopy> sample_;
  LateObject database_;
  static std::optional<TempFolder> registryFolder_;
};

using talmo::testing::ErrorOf;

// Number of occurrences of `what` in `text`.
size_t Occurrences(const std::string& text, const std::string& what);

}  // namespace talmo_demo::testing
