#include "demo_program.h"

#include <utility>

#include "automation/module_path.h"
#include "automation/registry.h"
#include "automation/text.h"
#include "texts.h"

namespace talmo_demo {
namespace {

using automation::Variant;

// nfStat and nfDisconnect values of the component.
constexpr int32_t kSessionId = 1;
constexpr int32_t kTotalSessions = 2;
constexpr int32_t kStopNow = 1;
// The log's time unit: 1/100000 of a day.
constexpr double kTimeUnitsPerDay = 100000.0;

std::u16string DateText(double serial) { return Variant::Date(serial).ToString(); }

// A time span in the log's unit, rounded to 2 decimals, as text.
std::u16string SpanText(double days, int16_t divisor) {
  const Variant units = automation::Divide(Variant(days * kTimeUnitsPerDay), Variant(divisor));
  return automation::Round(units, 2).ToString();
}

// Marks the program busy for one action, also when the action ends by an exception.
class BusyScope {
 public:
  explicit BusyScope(bool& busy) : busy_(busy) { busy_ = true; }
  ~BusyScope() { busy_ = false; }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  bool& busy_;
};

}  // namespace

DemoProgram::DemoProgram(DemoHost& host, DemoSettings settings)
    : host_(host), settings_(std::move(settings)) {
  if (settings_.demoFolder.empty()) {
    settings_.demoFolder = automation::FromUtf8(automation::ExecutableFolder().string());
  }
}

DemoProgram::~DemoProgram() = default;

const talmo::clsIniFile* DemoProgram::DemoIni() const noexcept {
  return demoIni_ ? &*demoIni_ : nullptr;
}

template <class Action>
auto DemoProgram::RunAction(Action action) -> std::optional<decltype(action())> {
  if (busy_) return std::nullopt;
  const BusyScope busy(busy_);
  std::optional<decltype(action())> result;
  try {
    result = action();
  } catch (const automation::AutomationError& error) {
    host_.ShowError(error);
  }
  return result;
}

bool DemoProgram::ConnectClicked() {
  return RunAction([this] {
           EnsureConnected();
           host_.SetLogText(texts::kConnected);
           return true;
         })
      .has_value();
}

bool DemoProgram::DisconnectClicked() {
  return RunAction([this] {
           EnsureConnected();
           connection_.Call(u"Disconnect", kStopNow);
           connection_ = LateObject();
           return true;
         })
      .has_value();
}

std::optional<ScanSummary> DemoProgram::PokusClicked() {
  return RunAction([this] { return ScanItems(); });
}

std::optional<OrderRunSummary> DemoProgram::TestClicked() {
  return RunAction([this] { return RunOrderTest(); });
}

void DemoProgram::EnsureConnected() {
  if (connection_.IsNothing()) {
    if (!demoIni_) demoIni_.emplace(settings_.demoFolder, std::u16string(texts::kErrorSource));
    demoIni_->SetFileName(texts::kDemoIniFile);
    connection_ = LateObject(automation::CreateObject(u"Talmo.Database"));
    connection_.Call(u"AutoConnect", settings_.connectionIni);
  }
  connection_.Call(u"SelectLatestVersion");
}

DemoScenarios DemoProgram::Scenarios() {
  return DemoScenarios(connection_, *demoIni_, [this] { host_.ProcessPendingEvents(); });
}

std::u16string DemoProgram::CreateOneOrder(DemoScenarios& scenarios) {
  return scenarios.CreateSampleOrder();
}

OrderRunSummary DemoProgram::RunOrderTest() {
  EnsureConnected();
  host_.SetLogText(u"");
  host_.WriteLog(std::u16string(texts::kSessionId) +
                 connection_.Get(u"GetStat", kSessionId).ToString() +
                 std::u16string(texts::kNewLine));
  host_.WriteLog(std::u16string(texts::kTotalSessions) +
                 connection_.Get(u"GetStat", kTotalSessions).ToString() +
                 std::u16string(texts::kNewLine));
  host_.ProcessPendingEvents();
  const double start = settings_.clock();
  host_.WriteLog(std::u16string(texts::kStart) + DateText(start) + std::u16string(texts::kNewLine));

  OrderRunSummary summary;
  DemoScenarios scenarios = Scenarios();
  for (int16_t i = 0; i < settings_.ordersPerTest; ++i) {
    host_.ProcessPendingEvents();
    ++summary.orders;
    // Each order is committed on its own, so a failed one is undone without taking the
    // orders before it along.
    connection_.Call(u"BWT");
    std::optional<std::u16string> created;
    try {
      created = CreateOneOrder(scenarios);
    } catch (const automation::AutomationError& error) {
      ++summary.failed;
      summary.lastError = error.description();
    }
    host_.WriteLog(texts::kOrderMark);
    if (created) {
      connection_.Call(u"EWT");
      summary.created.push_back(std::move(*created));
    } else {
      connection_.Call(u"AWT");
    }
  }

  host_.ProcessPendingEvents();
  host_.ShowLog();
  host_.WriteLog(std::u16string(texts::kNewLine) + std::u16string(texts::kEnd) +
                 DateText(settings_.clock()) + std::u16string(texts::kNewLine));
  host_.WriteLog(std::u16string(texts::kDuration) + SpanText(settings_.clock() - start, 1) +
                 std::u16string(texts::kNewLine));
  host_.WriteLog(std::u16string(texts::kPerOrder) +
                 SpanText(settings_.clock() - start, summary.orders) +
                 std::u16string(texts::kNewLine));
  return summary;
}

ScanSummary DemoProgram::ScanItems() {
  EnsureConnected();
  DemoScenarios scenarios = Scenarios();
  return scenarios.ScanItems();
}

}  // namespace talmo_demo
