// frmMain: the demo's one window, a log box and four buttons laid out in twips, driving
// DemoProgram. It is the program's DemoHost: the log, event processing and error reports.
#pragma once

#include <QWidget>
#include <memory>

#include "demo_program.h"
#include "form_layout.h"

class QPlainTextEdit;
class QPushButton;

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

  QPushButton* AddButton(std::u16string_view caption, const char* name, const TwipRect& place);

  QPlainTextEdit* dbgText_ = nullptr;
  QPushButton* btnConnect_ = nullptr;
  QPushButton* btnDisconnect_ = nullptr;
  QPushButton* btnPokus_ = nullptr;
  QPushButton* btnTest_ = nullptr;
  FormLayout layout_;
  std::unique_ptr<DemoProgram> program_;
};

}  // namespace talmo_demo
