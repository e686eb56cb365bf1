// The real window on Qt's offscreen platform: its design, the four buttons against the real
// component, resizing, and the report of an unhandled error.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFont>
#include <QMessageBox>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <fstream>

#include "automation/text.h"
#include "demo_test_support.h"
#include "main_window.h"

namespace talmo_demo::testing {
namespace {

// The widget the Tab key moves to from `widget`: the next one in the focus chain that takes
// focus by Tab (the log box's own parts, its viewport and scroll bars, do not).
QWidget* NextTabStop(QWidget* widget) {
  QWidget* next = widget->nextInFocusChain();
  while (next != widget && !(next->focusPolicy() & Qt::TabFocus)) next = next->nextInFocusChain();
  return next;
}

class WindowTest : public LiveDemoTest {
 protected:
  void SetUp() override {
    LiveDemoTest::SetUp();
    window_ = std::make_unique<MainWindow>(Settings());
  }
  void TearDown() override {
    window_.reset();
    LiveDemoTest::TearDown();
  }

  template <class T>
  T* Control(const char* name) {
    T* control = window_->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(control, nullptr) << name;
    return control;
  }
  QPlainTextEdit* Log() { return Control<QPlainTextEdit>("dbgText"); }
  QPushButton* Button(const char* name) { return Control<QPushButton>(name); }
  std::string LogText() { return Log()->toPlainText().toStdString(); }

  // Resizes the window's client area and lets the resize arrive.
  void ResizeTo(int width, int height) {
    window_->resize(width, height);
    QCoreApplication::processEvents();
    ASSERT_EQ(window_->size(), QSize(width, height));
  }

  std::unique_ptr<MainWindow> window_;
};

TEST_F(WindowTest, IsLaidOutAsDesigned) {
  window_->show();
  QCoreApplication::processEvents();
  EXPECT_EQ(window_->windowTitle().toStdString(), "Demonstrace ActiveX komponenty Talmo");
  // Twips / 15: the client area 5250 x 2715.
  EXPECT_EQ(window_->size(), QSize(350, 181));
  EXPECT_EQ(Log()->geometry(), QRect(0, 0, 353, 145));
  EXPECT_EQ(Log()->toPlainText(), QString());
  EXPECT_EQ(Log()->font().family().toStdString(), "Courier New");
  EXPECT_DOUBLE_EQ(Log()->font().pointSizeF(), 8.25);
  EXPECT_FALSE(Log()->font().bold());
  EXPECT_FALSE(Log()->font().italic());

  struct ButtonDesign {
    const char* name;
    const char* caption;
    QRect geometry;
  };
  for (const ButtonDesign& design : {ButtonDesign{"btnConnect", "Connect", {8, 152, 65, 25}},
                                     ButtonDesign{"btnDisconnect", "Disconnect", {80, 152, 81, 25}},
                                     ButtonDesign{"btnPokus", "Pokus", {184, 152, 65, 25}},
                                     ButtonDesign{"btnTest", "Test", {280, 152, 65, 25}}}) {
    QPushButton* button = Button(design.name);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text().toStdString(), design.caption);
    EXPECT_EQ(button->geometry(), design.geometry) << design.name;
  }

  // Tab order: Test, log box, Connect, Pokus, Disconnect, and round again.
  const std::vector<QWidget*> order = {Button("btnTest"), Log(), Button("btnConnect"),
                                       Button("btnPokus"), Button("btnDisconnect")};
  for (size_t i = 0; i < order.size(); ++i) {
    EXPECT_EQ(NextTabStop(order[i]), order[(i + 1) % order.size()])
        << order[i]->objectName().toStdString();
  }
}

TEST_F(WindowTest, ButtonsConnectRunTheTestScanAndDisconnect) {
  window_->show();
  Button("btnConnect")->click();
  EXPECT_EQ(LogText(), "Connected\n");

  Button("btnTest")->click();
  const std::string log = LogText();
  EXPECT_EQ(log.rfind("    SessionID: ", 0), 0u) << log;
  EXPECT_NE(log.find("\nTotalSessions: 1\nStart: "), std::string::npos) << log;
  EXPECT_NE(log.find("\n***\n  End: "), std::string::npos) << log;
  EXPECT_EQ(Occurrences(log, "*"), 3u);
  EXPECT_NE(log.find("\n Doba: "), std::string::npos) << log;
  EXPECT_NE(log.find("\nRychl: "), std::string::npos) << log;
  EXPECT_EQ(log.back(), '\n');
  EXPECT_EQ(log.find("Connected"), std::string::npos);
  EXPECT_EQ(OrderNumbers().size(), 3u);

  // A picture of the window after the run, kept in the build folder.
  std::filesystem::remove(DEMO_SCREENSHOT);
  ASSERT_TRUE(window_->grab().save(QString::fromUtf8(DEMO_SCREENSHOT)));
  EXPECT_GT(std::filesystem::file_size(DEMO_SCREENSHOT), 0u);

  Button("btnPokus")->click();
  EXPECT_EQ(LogText(), log);  // the scan writes nothing
  EXPECT_EQ(DemoIni().LoadFromINI(u"Counters", u"LastItemInventory", false), u"20");

  Button("btnDisconnect")->click();
  EXPECT_FALSE(window_->program().IsConnected());
  EXPECT_EQ(LogText(), log);
}

TEST_F(WindowTest, ResizingFollowsWithTheLogBoxAndMovesOnlyTheTestButton) {
  window_->show();
  QCoreApplication::processEvents();
  const QRect connect = Button("btnConnect")->geometry();
  const QRect disconnect = Button("btnDisconnect")->geometry();
  const QRect pokus = Button("btnPokus")->geometry();

  ResizeTo(500, 300);
  EXPECT_TRUE(Log()->isVisible());
  EXPECT_EQ(Log()->geometry(), QRect(0, 0, 503, 264));
  EXPECT_EQ(Button("btnTest")->geometry(), QRect(430, 271, 65, 25));

  ResizeTo(500, 36);  // no height left for the log box
  EXPECT_FALSE(Log()->isVisible());
  EXPECT_EQ(Button("btnTest")->geometry(), QRect(430, 7, 65, 25));

  ResizeTo(500, 37);
  EXPECT_TRUE(Log()->isVisible());
  EXPECT_EQ(Log()->geometry(), QRect(0, 0, 503, 1));

  ResizeTo(350, 181);
  EXPECT_EQ(Log()->geometry(), QRect(0, 0, 353, 145));
  EXPECT_EQ(Button("btnTest")->geometry(), QRect(280, 152, 65, 25));
  EXPECT_EQ(Button("btnConnect")->geometry(), connect);
  EXPECT_EQ(Button("btnDisconnect")->geometry(), disconnect);
  EXPECT_EQ(Button("btnPokus")->geometry(), pokus);
}

TEST_F(WindowTest, TheTestRunShowsAHiddenLogBox) {
  window_->show();
  ResizeTo(350, 30);
  ASSERT_FALSE(Log()->isVisible());
  Button("btnTest")->click();
  EXPECT_TRUE(Log()->isVisible());
}

// Closes each message box that opens, keeping its text.
class MessageBoxCloser {
 public:
  MessageBoxCloser() {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        texts.push_back(box->text().toStdString());
        titles.push_back(box->windowTitle().toStdString());
        box->accept();
      }
    });
    timer_.start(5);
  }
  std::vector<std::string> texts;
  std::vector<std::string> titles;

 private:
  QTimer timer_;
};

TEST_F(WindowTest, AnUnhandledErrorShowsItsNumberAndDescriptionAndTheProgramGoesOn) {
  std::ofstream(DemoIniPath()) << "[Counters]\nLastItemInventory=x\n";
  window_->show();
  MessageBoxCloser closer;
  Button("btnPokus")->click();
  ASSERT_EQ(closer.texts.size(), 1u);
  EXPECT_EQ(closer.texts[0], "Run-time error '13':\n\nType mismatch");
  EXPECT_EQ(closer.titles[0], "TalmoDemo");

  Button("btnConnect")->click();
  EXPECT_EQ(closer.texts.size(), 1u);
  EXPECT_EQ(LogText(), "Connected\n");
}

}  // namespace
}  // namespace talmo_demo::testing

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
