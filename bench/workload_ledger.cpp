// ledger: the demo's "Pokus" pass over the item ledger entries, 20 entries a step, the last
// entry number kept in TalmoDemo.ini between steps, until every entry has been processed.
// Talmo runs the demo's own ProcessItemLedger (with variants); the raw side makes the same
// steps with one SELECT of the next 20 entries and keeps its counter the same way. The
// per-item hook adds what it is given to a checksum on both sides.
#include <filesystem>
#include <set>
#include <utility>

#include "automation/text.h"
#include "checksum.h"
#include "raw_sqlite.h"
#include "scenarios.h"
#include "talmo_client.h"
#include "texts.h"
#include "util/cls_ini_file.h"
#include "workload.h"

namespace talmo_bench {
namespace {

constexpr int32_t kItemLedgerEntryTable = 32;
constexpr int32_t kEntriesPerStep = 20;

struct Outcome {
  SideResult side;
  int64_t steps = 0;
  int64_t lastEntryNo = 0;
  Checksum checksum;
};

// The demo's scenarios with the hook counting what reaches it.
class CountingScenarios : public talmo_demo::DemoScenarios {
 public:
  CountingScenarios(talmo_demo::LateObject database, const talmo::clsIniFile& demoIni,
                    Checksum& checksum)
      : DemoScenarios(std::move(database), demoIni, [] {}), checksum_(checksum) {}

  automation::Variant ItemInventoryHook(const std::u16string& item,
                                        const std::u16string* variant) override {
    checksum_.AddText(item);
    checksum_.AddText(variant != nullptr ? *variant : u"-");
    return {};
  }

 private:
  Checksum& checksum_;
};

talmo::clsIniFile DemoIni(const std::filesystem::path& folder) {
  talmo::clsIniFile ini(automation::FromUtf8(folder.string()), u"TalmoDemo");
  ini.SetFileName(talmo_demo::texts::kDemoIniFile);
  return ini;
}

int64_t SavedCounter(const talmo::clsIniFile& ini) {
  return automation::Variant(u"0" + ini.LoadFromINI(talmo_demo::texts::kCountersSection,
                                                    talmo_demo::texts::kLastItemInventoryKey,
                                                    false))
      .ToLong();
}

// Each full run starts with no counter saved.
void ForgetCounter(const std::filesystem::path& folder) {
  std::filesystem::remove(folder /
                          std::string(automation::ToUtf8(talmo_demo::texts::kDemoIniFile)));
}

Outcome RunTalmo(const std::filesystem::path& copy, int32_t passes) {
  TalmoConnection talmo(ConnectionIniIn(copy));
  const talmo::clsIniFile ini = DemoIni(copy);
  Outcome outcome;
  CountingScenarios scenarios(talmo.database(), ini, outcome.checksum);
  Stopwatch watch;
  for (int32_t pass = 0; pass < passes; ++pass) {
    ForgetCounter(copy);
    while (const int32_t processed = scenarios.ProcessItemLedger(true)) {
      outcome.side.operations += processed;
      ++outcome.steps;
    }
  }
  outcome.side.seconds = watch.Seconds();
  outcome.lastEntryNo = SavedCounter(ini);
  return outcome;
}

Outcome RunRaw(RawDatabase& raw, const std::filesystem::path& folder, int32_t passes) {
  const talmo::clsIniFile ini = DemoIni(folder);
  Statement next(raw, "SELECT f1, f2, f8 FROM " + raw.Table(kItemLedgerEntryTable) +
                          " WHERE f1>? ORDER BY f1 LIMIT " + std::to_string(kEntriesPerStep));
  Outcome outcome;
  Stopwatch watch;
  for (int32_t pass = 0; pass < passes; ++pass) {
    ForgetCounter(folder);
    while (true) {
      next.Bind(1, SavedCounter(ini));
      raw.Exec("BEGIN");
      std::set<std::pair<std::string, std::string>> seen;
      int64_t lastEntryNo = -1;
      while (next.Step()) {
        ++outcome.side.operations;
        lastEntryNo = next.Integer(0);
        std::string item(next.Text(1));
        std::string variant(next.Text(2));
        if (seen.count({item, variant}) == 0) {
          outcome.checksum.AddText(item);
          outcome.checksum.AddText(variant);
          seen.emplace(std::move(item), std::move(variant));
        }
      }
      next.Reset();
      raw.Exec("COMMIT");
      if (lastEntryNo < 0) break;
      ++outcome.steps;
      ini.SaveToINI(talmo_demo::texts::kCountersSection, talmo_demo::texts::kLastItemInventoryKey,
                    automation::FromUtf8(std::to_string(lastEntryNo)));
    }
  }
  outcome.side.seconds = watch.Seconds();
  outcome.lastEntryNo = SavedCounter(ini);
  return outcome;
}

}  // namespace

std::vector<Measurement> RunLedger(Context& context) {
  const BenchOptions& options = context.options;
  const std::filesystem::path copy = context.environment.FreshCopy("ledger");
  RawDatabase raw(DatabaseIn(copy));
  Statement count(raw, "SELECT count(*), max(f1) FROM " + raw.Table(kItemLedgerEntryTable));
  Verify(count.Step() && count.Integer(0) > 0, "ledger: the sample has no item ledger entries");
  const int64_t entries = count.Integer(0);
  const int64_t lastEntryNo = count.Integer(1);
  const int64_t steps = (entries + kEntriesPerStep - 1) / kEntriesPerStep * options.ledgerPasses;

  Measurement row{"ledger Pokus, 20 a step"};
  const std::filesystem::path rawFolder = copy / "raw";
  std::filesystem::create_directories(rawFolder);
  for (int32_t round = 0; round < options.repeat; ++round) {
    ClientDiagnostics client;
    const CallCounts calls = client.Snapshot();
    const Outcome talmo = RunTalmo(copy, options.ledgerPasses);
    row.SetClientCalls(calls, client.Snapshot(), talmo.side.operations);
    const Outcome rawSide = RunRaw(raw, rawFolder, options.ledgerPasses);
    for (const Outcome* side : {&talmo, &rawSide}) {
      Verify(side->side.operations == entries * options.ledgerPasses && side->steps == steps &&
                 side->lastEntryNo == lastEntryNo,
             "ledger: " + std::to_string(side->side.operations) + " entries in " +
                 std::to_string(side->steps) + " steps up to entry " +
                 std::to_string(side->lastEntryNo) + ", expected " +
                 std::to_string(entries * options.ledgerPasses) + " in " + std::to_string(steps) +
                 " up to " + std::to_string(lastEntryNo));
    }
    Verify(talmo.checksum == rawSide.checksum,
           "ledger: the hook saw other items or variants through Talmo than in SQLite");
    KeepBest(row.talmo, talmo.side);
    KeepBest(row.raw, rawSide.side);
  }
  row.note = "entries; INI saved every step";
  return {row};
}

}  // namespace talmo_bench
