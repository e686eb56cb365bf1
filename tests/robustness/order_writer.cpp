// talmo-order-writer: creates sample sales orders through the component as the demo does, for
// the tests that need a separate process to kill, to run several of at once, or to end
// without disconnecting.
//
//   talmo-order-writer INI COUNT [--no-disconnect]
//
// Connects with the INI file (AutoConnect), then creates COUNT orders (0: until killed), each
// in a write transaction of its own, and prints the document number of each once it is
// committed. Beginning a transaction is tried again when other writers keep the database
// busy past the client's wait (SQLite does not queue waiting writers fairly). Ends with Disconnect(1), unless --no-disconnect: the component then keeps its
// connection until the process exits. Exit code 0; 1 with the error on standard error when
// an automation error ends the run; 2 for a usage error. TALMO_REGISTRY must name a registry
// where the component and the database client are registered.
#include <charconv>
#include <filesystem>
#include <iostream>
#include <string>

#include "automation/automation_error.h"
#include "automation/registry.h"
#include "automation/text.h"
#include "late_object.h"
#include "scenarios.h"
#include "util/cls_ini_file.h"

namespace {

constexpr int kBeginAttempts = 20;

// BWT, tried again after a failure: nothing has been written yet that a retry could double.
void BeginWrite(talmo_demo::LateObject& database) {
  for (int attempt = 1;; ++attempt) {
    try {
      database.Call(u"BWT");
      return;
    } catch (const automation::AutomationError&) {
      if (attempt == kBeginAttempts) throw;
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  const std::string usage = "usage: talmo-order-writer INI COUNT [--no-disconnect]\n";
  if (argc < 3 || argc > 4 || (argc == 4 && std::string(argv[3]) != "--no-disconnect")) {
    std::cerr << usage;
    return 2;
  }
  const std::string ini = argv[1];
  long count = 0;
  const std::string countText = argv[2];
  if (std::from_chars(countText.data(), countText.data() + countText.size(), count).ec !=
          std::errc() ||
      count < 0) {
    std::cerr << usage;
    return 2;
  }
  const bool disconnect = argc == 3;
  try {
    talmo_demo::LateObject database(automation::CreateObject(u"Talmo.Database"));
    database.Call(u"AutoConnect", automation::FromUtf8(ini));
    // The scenarios keep their counters beside the connection's INI file.
    talmo::clsIniFile demoIni(
        automation::FromUtf8(std::filesystem::path(ini).parent_path().string()), u"TalmoDemo");
    demoIni.SetFileName(u"TalmoDemo.ini");
    talmo_demo::DemoScenarios scenarios(database, demoIni, [] {});
    for (long i = 0; count == 0 || i < count; ++i) {
      BeginWrite(database);
      const std::u16string number = scenarios.CreateSampleOrder();
      database.Call(u"EWT");
      std::cout << automation::ToUtf8(number) << std::endl;
    }
    if (disconnect) database.Call(u"Disconnect", int32_t{1});
  } catch (const automation::AutomationError& error) {
    std::cerr << "talmo-order-writer: " << error.what() << "\n";
    return 1;
  }
  return 0;
}
