#include "main_window.h"

#include <QCoreApplication>
#include <QFont>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QTextCursor>

#include "demo_errors.h"
#include "texts.h"

namespace talmo_demo {
namespace {

QString ToQString(std::u16string_view text) {
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

// The box shows CR LF as one line break.
QString LogText(std::u16string_view text) {
  QString result = ToQString(text);
  result.remove(QLatin1Char('\r'));
  return result;
}

QRect Pixels(const TwipRect& r) {
  return QRect(r.left / kTwipsPerPixel, r.top / kTwipsPerPixel, r.width / kTwipsPerPixel,
               r.height / kTwipsPerPixel);
}

void SetUpButton(QPushButton& button, std::u16string_view caption, const char* name,
                 const TwipRect& place) {
  button.setText(ToQString(caption));
  button.setObjectName(QString::fromLatin1(name));
  button.setGeometry(Pixels(place));
}

}  // namespace

MainWindow::MainWindow(DemoSettings settings, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("frmMain"));
  setWindowTitle(ToQString(texts::kWindowCaption));
  resize(form_design::kClientWidth / kTwipsPerPixel, form_design::kClientHeight / kTwipsPerPixel);

  dbgText_.setObjectName(QStringLiteral("dbgText"));
  dbgText_.setGeometry(Pixels(form_design::kLogBox));
  QFont font(QStringLiteral("Courier New"));
  font.setStyleHint(QFont::TypeWriter);
  font.setPointSizeF(8.25);
  dbgText_.setFont(font);
  dbgText_.setTabChangesFocus(true);

  SetUpButton(btnConnect_, texts::kConnect, "btnConnect", form_design::kConnectButton);
  SetUpButton(btnDisconnect_, texts::kDisconnect, "btnDisconnect", form_design::kDisconnectButton);
  SetUpButton(btnPokus_, texts::kPokus, "btnPokus", form_design::kPokusButton);
  SetUpButton(btnTest_, texts::kTest, "btnTest", form_design::kTestButton);
  // Tab order by tab index: Test, log box, Connect, Pokus, Disconnect.
  setTabOrder(&btnTest_, &dbgText_);
  setTabOrder(&dbgText_, &btnConnect_);
  setTabOrder(&btnConnect_, &btnPokus_);
  setTabOrder(&btnPokus_, &btnDisconnect_);
  btnTest_.setFocus();

  program_ = std::make_unique<DemoProgram>(static_cast<DemoHost&>(*this), std::move(settings));
  connect(&btnConnect_, &QPushButton::clicked, this, [this] { program_->ConnectClicked(); });
  connect(&btnDisconnect_, &QPushButton::clicked, this, [this] { program_->DisconnectClicked(); });
  connect(&btnPokus_, &QPushButton::clicked, this, [this] { program_->PokusClicked(); });
  connect(&btnTest_, &QPushButton::clicked, this, [this] { program_->TestClicked(); });

  // Form_Load.
  layout_.Load(width() * kTwipsPerPixel, height() * kTwipsPerPixel, form_design::kLogBox,
               form_design::kTestButton);
}

MainWindow::~MainWindow() = default;

void MainWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  const ResizeLayout layout = layout_.Resize(width() * kTwipsPerPixel, height() * kTwipsPerPixel);
  if (layout.logVisible) {
    dbgText_.setVisible(true);
    dbgText_.resize(layout.logWidth / kTwipsPerPixel, layout.logHeight / kTwipsPerPixel);
  } else {
    dbgText_.setVisible(false);
  }
  btnTest_.move(layout.testButton.left / kTwipsPerPixel, layout.testButton.top / kTwipsPerPixel);
}

void MainWindow::SetLogText(std::u16string_view text) {
  dbgText_.setPlainText(LogText(text));
  // The insertion point of a box whose text was just set is its start; after clearing,
  // that is its end, so later lines follow in order.
  dbgText_.moveCursor(QTextCursor::Start);
}

void MainWindow::WriteLog(std::u16string_view text) {
  QTextCursor cursor = dbgText_.textCursor();
  cursor.insertText(LogText(text));
  dbgText_.setTextCursor(cursor);
}

void MainWindow::ShowLog() { dbgText_.setVisible(true); }

void MainWindow::ProcessPendingEvents() { QCoreApplication::processEvents(); }

void MainWindow::ShowError(const automation::AutomationError& error) {
  QMessageBox box(QMessageBox::Critical, ToQString(texts::kProgramName),
                  ToQString(RunTimeErrorText(error)), QMessageBox::Ok, this);
  box.setObjectName(QStringLiteral("runTimeError"));
  box.exec();
}

}  // namespace talmo_demo
