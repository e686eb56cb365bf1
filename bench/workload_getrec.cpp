// getrec: random primary-key look-ups on the items, one in ten for a number that does not
// exist; a found item's description and unit price are read. Talmo: GetRecT (and GetRec for
// the found ones) on one Table; raw: the record by its key with every column, as the
// client's buffer receives it.
#include <algorithm>
#include <random>

#include "automation/text.h"
#include "checksum.h"
#include "raw_sqlite.h"
#include "talmo_client.h"
#include "workload.h"

namespace talmo_bench {
namespace {

constexpr int32_t kItemTable = 27;
constexpr int32_t kDescriptionField = 3;
constexpr int32_t kUnitPriceField = 18;

struct LookupKey {
  std::string utf8;
  automation::Variant value;
  bool exists = false;
};

struct Outcome {
  SideResult side;
  int64_t found = 0;
  Checksum checksum;
};

std::vector<LookupKey> MakeKeys(RawDatabase& raw, int32_t count, uint32_t seed) {
  std::vector<std::string> items;
  Statement numbers(raw, "SELECT f1 FROM " + raw.Table(kItemTable) + " ORDER BY f1");
  while (numbers.Step()) items.emplace_back(numbers.Text(0));
  Verify(!items.empty(), "getrec: the sample has no items");
  std::mt19937 random(seed);
  std::uniform_int_distribution<size_t> pick(0, items.size() - 1);
  std::vector<LookupKey> keys(count);
  for (LookupKey& key : keys) {
    key.exists = random() % 10 != 0;
    key.utf8 = key.exists ? items[pick(random)] : "ZZ" + std::to_string(random() % 100000);
    key.value = automation::Variant(automation::FromUtf8(key.utf8));
  }
  return keys;
}

template <class Lookup>
Outcome TimeTalmo(const std::vector<LookupKey>& keys, TalmoTable& items, Lookup lookup) {
  Outcome outcome;
  Stopwatch watch;
  for (const LookupKey& key : keys) {
    if (!lookup(key)) continue;
    ++outcome.found;
    outcome.checksum.AddText(items.Field(kDescriptionField).ToString());
    outcome.checksum.AddNumber(items.Field(kUnitPriceField).ToDouble());
  }
  outcome.side = {static_cast<int64_t>(keys.size()), watch.Seconds()};
  return outcome;
}

Outcome TimeRaw(RawDatabase& raw, const std::vector<LookupKey>& keys, bool existingOnly) {
  const std::vector<std::string> columns = raw.Columns(kItemTable);
  const int description = ColumnIndex(columns, kDescriptionField);
  const int unitPrice = ColumnIndex(columns, kUnitPriceField);
  Statement lookup(
      raw, "SELECT " + ColumnList(columns) + " FROM " + raw.Table(kItemTable) + " WHERE f1=?");
  Outcome outcome;
  Stopwatch watch;
  raw.Exec("BEGIN");
  for (const LookupKey& key : keys) {
    if (existingOnly && !key.exists) continue;
    lookup.Bind(1, key.utf8);
    if (lookup.Step()) {
      ++outcome.found;
      outcome.checksum.AddText(lookup.Text(description));
      outcome.checksum.AddNumber(lookup.Real(unitPrice));
    }
    lookup.Reset();
  }
  raw.Exec("COMMIT");
  outcome.side = {existingOnly ? outcome.found : static_cast<int64_t>(keys.size()),
                  watch.Seconds()};
  return outcome;
}

}  // namespace

std::vector<Measurement> RunGetRec(Context& context) {
  const BenchOptions& options = context.options;
  const std::filesystem::path copy = context.environment.FreshCopy("getrec");
  RawDatabase raw(DatabaseIn(copy));
  const std::vector<LookupKey> keys = MakeKeys(raw, options.lookups, options.seed);
  const int64_t existing =
      std::count_if(keys.begin(), keys.end(), [](const LookupKey& key) { return key.exists; });
  std::vector<LookupKey> existingKeys;
  std::copy_if(keys.begin(), keys.end(), std::back_inserter(existingKeys),
               [](const LookupKey& key) { return key.exists; });

  Measurement getRecT{"getrec GetRecT (1 in 10 missing)"};
  Measurement getRec{"getrec GetRec (found)"};
  for (int32_t round = 0; round < options.repeat; ++round) {
    TalmoConnection talmo(ConnectionIniIn(copy));
    ClientDiagnostics client;
    TalmoTable items = talmo.AllocTable(kItemTable);

    CallCounts calls = client.Snapshot();
    const Outcome talmoT =
        TimeTalmo(keys, items, [&](const LookupKey& key) { return items.GetRecT(key.value); });
    const CallCounts afterT = client.Snapshot();
    getRecT.SetClientCalls(calls, afterT, static_cast<int64_t>(keys.size()));
    const Outcome talmoGet = TimeTalmo(
        existingKeys, items, [&](const LookupKey& key) { return items.GetRec(key.value); });
    getRec.SetClientCalls(afterT, client.Snapshot(), static_cast<int64_t>(existingKeys.size()));

    const Outcome rawAll = TimeRaw(raw, keys, false);
    const Outcome rawExisting = TimeRaw(raw, keys, true);

    Verify(talmoT.found == existing && rawAll.found == existing,
           "getrec: " + std::to_string(existing) + " keys exist; GetRecT found " +
               std::to_string(talmoT.found) + ", SQLite " + std::to_string(rawAll.found));
    Verify(talmoT.checksum == rawAll.checksum,
           "getrec: GetRecT read other descriptions or prices than SQLite holds");
    Verify(talmoGet.found == existing && talmoGet.checksum == rawExisting.checksum,
           "getrec: GetRec read other records than SQLite holds");
    KeepBest(getRecT.talmo, talmoT.side);
    KeepBest(getRecT.raw, rawAll.side);
    KeepBest(getRec.talmo, talmoGet.side);
    KeepBest(getRec.raw, rawExisting.side);
  }
  return {getRecT, getRec};
}

}  // namespace talmo_bench
