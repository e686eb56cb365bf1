// TalmoDemo: opens the window, or with --headless runs the button actions without one.
#include <QApplication>
#include <filesystem>
#include <iostream>
#include <string_view>
#include <vector>

#include "headless_runner.h"
#include "main_window.h"

namespace {

int UsageError(const std::string& error) {
  std::cerr << "TalmoDemo: " << error << "\n" << talmo_demo::kUsage;
  return 2;
}

// The command line's own errors, then a missing --ini file, before anything connects.
std::string CheckCommandLine(talmo_demo::CommandLine& line) {
  if (!line.error.empty()) return line.error;
  return talmo_demo::ResolveConnectionIni(line, std::filesystem::current_path());
}

talmo_demo::CommandLine Parse(int argc, char** argv) {
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  return talmo_demo::ParseCommandLine(args);
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::cout << talmo_demo::kUsage;
      return 0;
    }
  }
  // Without a window no display is needed, so Qt is not started at all.
  talmo_demo::CommandLine line = Parse(argc, argv);
  if (line.headless) {
    if (const std::string error = CheckCommandLine(line); !error.empty()) return UsageError(error);
    return talmo_demo::RunHeadless(line, {}, std::cout, std::cerr);
  }
  // Qt takes its own options (-platform, -style, ...) out of the list first.
  QApplication app(argc, argv);
  line = Parse(argc, argv);
  if (const std::string error = CheckCommandLine(line); !error.empty()) return UsageError(error);
  talmo_demo::MainWindow window(talmo_demo::ApplyCommandLine(line, {}));
  window.show();
  return app.exec();
}
