// The program-wide state of TalmoDemo and its four button actions, without any window: the
// Qt window and the headless runner both drive this class through a DemoHost.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "automation/automation_error.h"
#include "clock.h"
#include "late_object.h"
#include "scenarios.h"
#include "texts.h"
#include "util/cls_ini_file.h"

namespace talmo_demo {

// What the program needs from its window: the log box, event processing and the report of
// an unhandled error.
class DemoHost {
 public:
  virtual ~DemoHost() = default;
  // Replaces the whole log text.
  virtual void SetLogText(std::u16string_view text) = 0;
  // Inserts `text` at the log's insertion point (its end after the log was set).
  virtual void WriteLog(std::u16string_view text) = 0;
  // Makes the log box visible.
  virtual void ShowLog() = 0;
  // Lets the window handle pending events (repaints, clicks).
  virtual void ProcessPendingEvents() = 0;
  // Reports an error that a button action did not handle, with its number and description.
  virtual void ShowError(const automation::AutomationError& error) = 0;
};

struct DemoSettings {
  // Handed to Database.AutoConnect; a bare name is looked up beside the component.
  std::u16string connectionIni{texts::kConnectionIniFile};
  // The folder a bare "TalmoDemo.ini" resolves against: the program's own folder.
  std::u16string demoFolder;
  // Orders created by one Test run.
  int16_t ordersPerTest = 3;
  Clock clock = NowDateSerial;
};

// What a Test run did; the log shows only the marks and the times.
struct OrderRunSummary {
  int16_t orders = 0;
  int16_t failed = 0;
  std::vector<std::u16string> created;  // document numbers of the orders kept
  std::u16string lastError;             // description of the last failed order
};

class DemoProgram {
 public:
  explicit DemoProgram(DemoHost& host, DemoSettings settings = {});
  virtual ~DemoProgram();

  // The button actions. An error is handed to DemoHost::ShowError and the program goes on.
  // A click while another action is still running (the log pumps events) is ignored, so an
  // action never sees the connection released under it. Each returns whether it ran to the
  // end without an error, with what it did.
  bool ConnectClicked();
  bool DisconnectClicked();
  std::optional<ScanSummary> PokusClicked();
  std::optional<OrderRunSummary> TestClicked();

  // The procedures behind the buttons; these raise AutomationError.
  //
  // Opens the connection when there is none (Talmo.Database created through the component
  // registry, AutoConnect), then selects the latest data version. When AutoConnect fails,
  // the new Database is kept, so later calls go straight to SelectLatestVersion.
  void EnsureConnected();
  // The timed Test run: session statistics and start time in the log, then each order in a
  // write transaction of its own (a failed order is aborted and the run goes on), then a
  // "*" per order, the end time, the duration and the time per order in 1/100000 days.
  OrderRunSummary RunOrderTest();
  ScanSummary ScanItems();

  bool IsConnected() const noexcept { return !connection_.IsNothing(); }
  // The Database object of the connection; Nothing before EnsureConnected and after
  // Disconnect.
  const LateObject& Connection() const noexcept { return connection_; }
  // The demo INI file, once EnsureConnected has named it; null before.
  const talmo::clsIniFile* DemoIni() const noexcept;

 protected:
  // Creates one order of the Test run and returns its document number. Tests replace it to
  // make a chosen order fail.
  virtual std::u16string CreateOneOrder(DemoScenarios& scenarios);
  DemoScenarios Scenarios();
  DemoHost& host() noexcept { return host_; }

 private:
  // Runs one button action unless another is running; std::nullopt when it did not run to
  // the end.
  template <class Action>
  auto RunAction(Action action) -> std::optional<decltype(action())>;

  DemoHost& host_;
  DemoSettings settings_;
  LateObject connection_;
  std::optional<talmo::clsIniFile> demoIni_;
  bool busy_ = false;
};

}  // namespace talmo_demo
