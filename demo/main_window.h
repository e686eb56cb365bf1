// frmMain: the demo's one window, a log box and four buttons laid out in twips, driving
// DemoProgram. It is the program's DemoHost: the log, event processing and error reports.
#pragma once

#include <QPlainTextEdit>
#include <QPushButton>
#include <QWidget>
#include <memory>

#include "demo_program.h"
#include "form_layout.h"

namespace talmo_demo {

class MainWindow final : public QWidget, private DemoHost {
  Q_OBJECT

 public:
  explicit MainWindow(DemoSettings settings = {}, QWidget* parent = nullptr);
  ~MainWindow() override;

  DemoProgram& program() noexcept { return *program_; }

 protected:
  // Form_Resize.
  void resizeEvent(QResizeEvent* event) override;

 private:
  void SetLogText(std::u16string_view text) override;
  void WriteLog(std::u16string_view text) override;
  void ShowLog() override;
  void ProcessPendingEvents() override;
  void ShowError(const automation::AutomationError& error) override;

  // The controls are children of the window held by value: they leave the window's child
  // list when destroyed, before the window itself goes.
  QPlainTextEdit dbgText_{this};
  QPushButton btnConnect_{this};
  QPushButton btnDisconnect_{this};
  QPushButton btnPokus_{this};
  QPushButton btnTest_{this};
  FormLayout layout_;
  std::unique_ptr<DemoProgram> program_;
};

}  // namespace talmo_demo
