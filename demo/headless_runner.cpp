#include "headless_runner.h"

#include <charconv>
#include <cstdint>
#include <ostream>
#include <string>

#include "automation/text.h"
#include "demo_errors.h"

namespace talmo_demo {
namespace {

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  return automation::EqualsIgnoreCase(automation::FromUtf8(a), automation::FromUtf8(b));
}

// The log as a stream: what the window would insert into the box, with CR LF as line ends.
class HeadlessHost final : public DemoHost {
 public:
  HeadlessHost(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}

  void SetLogText(std::u16string_view text) override { WriteLog(text); }
  void WriteLog(std::u16string_view text) override {
    std::string bytes = automation::ToUtf8(text);
    std::erase(bytes, '\r');
    out_ << bytes << std::flush;
  }
  void ShowLog() override {}
  void ProcessPendingEvents() override {}
  void ShowError(const automation::AutomationError& error) override {
    std::string text = automation::ToUtf8(RunTimeErrorText(error));
    for (size_t at = text.find("\n\n"); at != std::string::npos; at = text.find("\n\n")) {
      text.replace(at, 2, " ");
    }
    err_ << "TalmoDemo: " << text << std::endl;
  }

 private:
  std::ostream& out_;
  std::ostream& err_;
};

}  // namespace

const char* const kUsage =
    "usage: TalmoDemo [--ini FILE]                                 open the window\n"
    "       TalmoDemo [--ini FILE] --headless [--orders N] CMD...  run without a window\n"
    "  CMD: connect, test, pokus, disconnect (any sequence, in order)\n"
    "  --orders N  orders created by each test run (1..32767, default 3)\n"
    "  --ini FILE  connection settings instead of Talmo.ini beside the component\n"
    "              (a relative FILE is taken from the current folder)\n";

CommandLine ParseCommandLine(std::span<const std::string_view> args) {
  CommandLine line;
  bool ordersGiven = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (EqualsIgnoreCase(arg, "--headless")) {
      line.headless = true;
    } else if (EqualsIgnoreCase(arg, "--orders")) {
      int value = 0;
      const std::string_view number = i + 1 < args.size() ? args[++i] : std::string_view();
      const auto [end, status] =
          std::from_chars(number.data(), number.data() + number.size(), value);
      if (number.empty() || status != std::errc() || end != number.data() + number.size() ||
          value < 1 || value > INT16_MAX) {
        line.error = "--orders needs a number from 1 to 32767";
        return line;
      }
      line.ordersPerTest = static_cast<int16_t>(value);
      ordersGiven = true;
    } else if (EqualsIgnoreCase(arg, "--ini")) {
      if (i + 1 >= args.size() || args[i + 1].empty()) {
        line.error = "--ini needs a file name";
        return line;
      }
      line.connectionIni = automation::FromUtf8(args[++i]);
    } else if (EqualsIgnoreCase(arg, "connect")) {
      line.commands.push_back(DemoCommand::kConnect);
    } else if (EqualsIgnoreCase(arg, "disconnect")) {
      line.commands.push_back(DemoCommand::kDisconnect);
    } else if (EqualsIgnoreCase(arg, "test")) {
      line.commands.push_back(DemoCommand::kTest);
    } else if (EqualsIgnoreCase(arg, "pokus")) {
      line.commands.push_back(DemoCommand::kPokus);
    } else {
      line.error = "unknown argument: " + std::string(arg);
      return line;
    }
  }
  if (!line.headless && (ordersGiven || !line.commands.empty())) {
    line.error = "commands and --orders need --headless";
  } else if (line.headless && line.commands.empty()) {
    line.error = "--headless needs at least one command";
  }
  return line;
}

std::string ResolveConnectionIni(CommandLine& line, const std::filesystem::path& currentFolder) {
  if (line.connectionIni.empty()) return "";
  const std::filesystem::path file =
      currentFolder / std::filesystem::path(automation::ToUtf8(line.connectionIni));
  std::error_code error;
  if (!std::filesystem::is_regular_file(file, error)) {
    return "--ini: the file " + file.string() + " does not exist";
  }
  line.connectionIni = automation::FromUtf8(file.string());
  return "";
}

DemoSettings ApplyCommandLine(const CommandLine& line, DemoSettings settings) {
  settings.ordersPerTest = line.ordersPerTest;
  if (!line.connectionIni.empty()) settings.connectionIni = line.connectionIni;
  return settings;
}

int RunHeadless(const CommandLine& line, DemoSettings settings, std::ostream& out,
                std::ostream& err) {
  HeadlessHost host(out, err);
  DemoProgram program(host, ApplyCommandLine(line, std::move(settings)));
  bool allDone = true;
  for (const DemoCommand command : line.commands) {
    switch (command) {
      case DemoCommand::kConnect:
        allDone &= program.ConnectClicked();
        break;
      case DemoCommand::kDisconnect:
        if (program.DisconnectClicked()) {
          out << "# disconnected\n";
        } else {
          allDone = false;
        }
        break;
      case DemoCommand::kTest:
        if (const auto run = program.TestClicked()) {
          out << "# test: " << run->orders << " orders, " << run->failed << " failed";
          if (!run->created.empty()) {
            out << ", created " << automation::ToUtf8(run->created.front());
            if (run->created.size() > 1) out << " to " << automation::ToUtf8(run->created.back());
          }
          if (run->failed > 0) {
            out << " (last error: " << automation::ToUtf8(run->lastError) << ")";
            allDone = false;
          }
          out << "\n";
        } else {
          allDone = false;
        }
        break;
      case DemoCommand::kPokus:
        if (const auto scan = program.PokusClicked()) {
          out << "# pokus: " << scan->itemsScanned << " items scanned, " << scan->itemsInStock
              << " in stock, " << scan->ledgerEntriesProcessed
              << " item ledger entries processed\n";
        } else {
          allDone = false;
        }
        break;
    }
    out << std::flush;
  }
  return allDone ? 0 : 1;
}

}  // namespace talmo_demo
