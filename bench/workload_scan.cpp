// scan: the items numbered K0... stepped through in key order, reading the number and the
// description of each; once as they are stored and once with AutoCalcFields on, reading the
// calculated inventory (flow field 50060, the sum of the item's ledger quantities) first, as
// the demo's "Pokus" run does. Talmo: SetFilter(1, "K0*"), Find("-"), NextRec; raw: one
// ordered SELECT over the same items, and the inventory summed per item.
#include <algorithm>

#include "checksum.h"
#include "raw_sqlite.h"
#include "talmo_client.h"
#include "workload.h"

namespace talmo_bench {
namespace {

constexpr int32_t kItemTable = 27;
constexpr int32_t kItemLedgerEntryTable = 32;
constexpr int32_t kInventoryField = 50060;
constexpr int32_t kQuantityField = 12;

struct Outcome {
  SideResult side;
  int64_t records = 0;
  int64_t inStock = 0;
  Checksum checksum;
};

Outcome ScanTalmo(TalmoConnection& talmo, int32_t passes, bool calculate) {
  Outcome outcome;
  Stopwatch watch;
  for (int32_t pass = 0; pass < passes; ++pass) {
    TalmoTable items = talmo.AllocTable(kItemTable);
    items.SetAutoCalcFields(calculate);
    items.SetFilter(1, u"K0*");
    for (bool found = items.Find(u"-"); found; found = items.NextRec() > 0) {
      ++outcome.records;
      if (calculate) {
        const double inventory = items.Field(kInventoryField).ToDouble();
        outcome.checksum.AddNumber(inventory);
        if (inventory != 0) ++outcome.inStock;
      }
      outcome.checksum.AddText(items.Field(1).ToString());
      outcome.checksum.AddText(items.Field(3).ToString());
    }
  }
  outcome.side = {outcome.records, watch.Seconds()};
  return outcome;
}

Outcome ScanRaw(RawDatabase& raw, int32_t passes, bool calculate) {
  const std::vector<std::string> columns = raw.Columns(kItemTable);
  const int number = ColumnIndex(columns, 1);
  const int description = ColumnIndex(columns, 3);
  Statement items(raw, "SELECT " + ColumnList(columns) + " FROM " + raw.Table(kItemTable) +
                           " WHERE f1 GLOB 'K0*' ORDER BY f1");
  Statement inventory(raw, "SELECT f" + std::to_string(kQuantityField) + " FROM " +
                               raw.Table(kItemLedgerEntryTable) + " WHERE f2=?");
  Outcome outcome;
  Stopwatch watch;
  raw.Exec("BEGIN");
  for (int32_t pass = 0; pass < passes; ++pass) {
    while (items.Step()) {
      ++outcome.records;
      if (calculate) {
        double sum = 0;
        inventory.Bind(1, items.Text(number));
        while (inventory.Step()) sum += inventory.Real(0);
        inventory.Reset();
        outcome.checksum.AddNumber(sum);
        if (sum != 0) ++outcome.inStock;
      }
      outcome.checksum.AddText(items.Text(number));
      outcome.checksum.AddText(items.Text(description));
    }
    items.Reset();
  }
  raw.Exec("COMMIT");
  outcome.side = {outcome.records, watch.Seconds()};
  return outcome;
}

}  // namespace

std::vector<Measurement> RunScan(Context& context) {
  const BenchOptions& options = context.options;
  const std::filesystem::path copy = context.environment.FreshCopy("scan");
  RawDatabase raw(DatabaseIn(copy));
  Statement count(raw, "SELECT count(*) FROM " + raw.Table(kItemTable) + " WHERE f1 GLOB 'K0*'");
  Verify(count.Step(), "scan: counting the items failed");
  const int64_t expected = count.Integer(0) * options.scanPasses;
  Verify(expected > 0, "scan: the sample has no K0 items");

  std::vector<Measurement> rows;
  for (const bool calculate : {false, true}) {
    Measurement row{calculate ? "scan K0*, AutoCalcFields + 50060" : "scan K0*, 2 fields"};
    for (int32_t round = 0; round < options.repeat; ++round) {
      TalmoConnection talmo(ConnectionIniIn(copy));
      ClientDiagnostics client;
      const CallCounts calls = client.Snapshot();
      const Outcome talmoSide = ScanTalmo(talmo, options.scanPasses, calculate);
      row.SetClientCalls(calls, client.Snapshot(), expected);
      const Outcome rawSide = ScanRaw(raw, options.scanPasses, calculate);
      Verify(talmoSide.records == expected && rawSide.records == expected,
             "scan: " + std::to_string(expected) + " items expected; Talmo stepped through " +
                 std::to_string(talmoSide.records) + ", SQLite " + std::to_string(rawSide.records));
      Verify(talmoSide.checksum == rawSide.checksum,
             "scan: Talmo read other numbers, descriptions or inventories than SQLite holds");
      Verify(!calculate || rawSide.inStock > 0,
             "scan: no item has an inventory, the flow field is not exercised");
      Verify(talmoSide.inStock == rawSide.inStock, "scan: items in stock differ");
      KeepBest(row.talmo, talmoSide.side);
      KeepBest(row.raw, rawSide.side);
      if (calculate) row.note = std::to_string(rawSide.inStock / options.scanPasses) + " in stock";
    }
    rows.push_back(row);
  }
  return rows;
}

}  // namespace talmo_bench
