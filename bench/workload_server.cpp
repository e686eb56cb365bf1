// The orders, getrec and scan workloads on a PostgreSQL server (talmo-bench --server): the
// Talmo side through the component on a copy of the sample on the server, the raw side a
// libpq program making the same requests one round trip each (the scan: one query a pass).
// Both sides are verified against each other; the report adds the round trips per
// operation the client counted.
#include <algorithm>
#include <cstdio>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "automation/text.h"
#include "checksum.h"
#include "raw_libpq.h"
#include "raw_sqlite.h"
#include "scenarios.h"
#include "talmo_client.h"
#include "util/cls_ini_file.h"
#include "workload.h"

namespace talmo_bench {
namespace {

constexpr int32_t kCustomerTable = 18;
constexpr int32_t kItemTable = 27;
constexpr int32_t kSalesHeaderTable = 36;
constexpr int32_t kSalesLineTable = 37;
constexpr int32_t kFindMember = 19;

std::string Number(double value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.1f", value);
  return buffer;
}

void NoteRoundTrips(Measurement& row, uint64_t roundTrips, int64_t operations) {
  row.note = Number(static_cast<double>(roundTrips) / static_cast<double>(operations)) +
             " round trips/op";
}

// A column list and $n markers of a table's columns.
std::string Columns(const std::vector<std::string>& columns) {
  std::string list;
  for (const std::string& column : columns) list += (list.empty() ? "" : ",") + column;
  return list;
}

std::string Markers(size_t count) {
  std::string markers;
  for (size_t i = 1; i <= count; ++i) markers += (i == 1 ? "$" : ",$") + std::to_string(i);
  return markers;
}

// getrec: the items by key, one in ten missing.
std::vector<Measurement> GetRec(Context& context) {
  const BenchOptions& options = context.options;
  const std::filesystem::path copy = context.environment.FreshCopy("getrec");
  RawServer raw(context.environment.Conninfo(copy));
  std::vector<std::string> items;
  RawResult numbers = raw.Exec("SELECT f1 FROM " + raw.Table(kItemTable) + " ORDER BY f1");
  for (int row = 0; row < numbers.rows(); ++row) items.emplace_back(numbers.Text(row, 0));
  Verify(!items.empty(), "getrec: the sample has no items");
  std::mt19937 random(options.seed);
  std::vector<std::string> keys(options.lookups);
  for (std::string& key : keys) {
    key = random() % 10 != 0 ? items[random() % items.size()] : "ZZ" + std::to_string(random());
  }
  const std::vector<std::string> columns = raw.Columns(kItemTable);
  const int description = ColumnIndex(columns, 3);
  const int unitPrice = ColumnIndex(columns, 18);
  raw.Prepare("item", "SELECT " + Columns(columns) + " FROM " + raw.Table(kItemTable) +
                          " WHERE f1=$1");

  Measurement row{"server getrec GetRecT (1 in 10 missing)"};
  for (int32_t round = 0; round < options.repeat; ++round) {
    TalmoConnection talmo(ConnectionIniIn(copy));
    ClientDiagnostics client;
    TalmoTable table = talmo.AllocTable(kItemTable);
    Checksum talmoSum, rawSum;
    const CallCounts calls = client.Snapshot();
    const uint64_t trips = client.RoundTrips();
    Stopwatch talmoWatch;
    for (const std::string& key : keys) {
      if (!table.GetRecT(automation::Variant(automation::FromUtf8(key)))) continue;
      talmoSum.AddText(table.Field(3).ToString());
      talmoSum.AddNumber(table.Field(18).ToDouble());
    }
    const SideResult talmoSide{options.lookups, talmoWatch.Seconds()};
    NoteRoundTrips(row, client.RoundTrips() - trips, options.lookups);
    row.SetClientCalls(calls, client.Snapshot(), options.lookups);

    Stopwatch rawWatch;
    raw.Exec("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY");
    for (const std::string& key : keys) {
      RawResult item = raw.Run("item", {key});
      if (item.rows() == 0) continue;
      rawSum.AddText(item.Text(0, description));
      rawSum.AddNumber(item.Number(0, unitPrice));
    }
    raw.Exec("COMMIT");
    const SideResult rawSide{options.lookups, rawWatch.Seconds()};
    Verify(talmoSum == rawSum, "getrec: Talmo read other descriptions or prices than libpq");
    KeepBest(row.talmo, talmoSide);
    KeepBest(row.raw, rawSide);
  }
  return {row};
}

// scan: the K0 items in key order; the raw side fetches each pass's rows with one query.
std::vector<Measurement> Scan(Context& context) {
  const BenchOptions& options = context.options;
  const std::filesystem::path copy = context.environment.FreshCopy("scan");
  RawServer raw(context.environment.Conninfo(copy));
  const std::vector<std::string> columns = raw.Columns(kItemTable);
  const int number = ColumnIndex(columns, 1);
  const int description = ColumnIndex(columns, 3);
  const std::string select = "SELECT " + Columns(columns) + " FROM " + raw.Table(kItemTable) +
                             " WHERE f1 LIKE 'K0%'";
  raw.Prepare("all", select + " ORDER BY f1");
  const int64_t expected =
      static_cast<int64_t>(raw.Exec(select).rows()) * options.scanPasses;
  Verify(expected > 0, "scan: the sample has no K0 items");

  Measurement row{"server scan K0*, 2 fields"};
  for (int32_t round = 0; round < options.repeat; ++round) {
    TalmoConnection talmo(ConnectionIniIn(copy));
    ClientDiagnostics client;
    Checksum talmoSum, rawSum;
    int64_t talmoRecords = 0, rawRecords = 0;
    const CallCounts calls = client.Snapshot();
    const uint64_t trips = client.RoundTrips();
    Stopwatch talmoWatch;
    for (int32_t pass = 0; pass < options.scanPasses; ++pass) {
      TalmoTable items = talmo.AllocTable(kItemTable);
      items.SetFilter(1, u"K0*");
      for (bool found = items.Find(u"-"); found; found = items.NextRec() > 0) {
        ++talmoRecords;
        talmoSum.AddText(items.Field(1).ToString());
        talmoSum.AddText(items.Field(3).ToString());
      }
    }
    const SideResult talmoSide{talmoRecords, talmoWatch.Seconds()};
    NoteRoundTrips(row, client.RoundTrips() - trips, expected);
    row.SetClientCalls(calls, client.Snapshot(), expected);

    Stopwatch rawWatch;
    raw.Exec("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY");
    for (int32_t pass = 0; pass < options.scanPasses; ++pass) {
      const RawResult items = raw.Run("all", {});
      for (int item = 0; item < items.rows(); ++item) {
        ++rawRecords;
        rawSum.AddText(items.Text(item, number));
        rawSum.AddText(items.Text(item, description));
      }
    }
    raw.Exec("COMMIT");
    const SideResult rawSide{rawRecords, rawWatch.Seconds()};
    Verify(talmoRecords == expected && rawRecords == expected,
           "scan: " + std::to_string(expected) + " items expected; Talmo stepped through " +
               std::to_string(talmoRecords) + ", libpq " + std::to_string(rawRecords));
    Verify(talmoSum == rawSum, "scan: Talmo read other numbers or descriptions than libpq");
    KeepBest(row.talmo, talmoSide);
    KeepBest(row.raw, rawSide);
  }
  return {row};
}

// What the Talmo run of the orders wrote into one table, as text rows in key order.
struct WrittenRows {
  std::vector<std::string> columns;
  std::vector<std::vector<std::string>> rows;
};

WrittenRows ReadWritten(RawServer& db, int32_t table, const std::string& where,
                        const std::string& order) {
  WrittenRows written;
  written.columns = db.Columns(table);
  RawResult result = db.Exec("SELECT " + Columns(written.columns) + " FROM " + db.Table(table) +
                             " WHERE " + where + " ORDER BY " + order);
  for (int row = 0; row < result.rows(); ++row) {
    std::vector<std::string>& values = written.rows.emplace_back();
    for (int column = 0; column < result.columns(); ++column) {
      values.emplace_back(result.Text(row, column));
    }
  }
  return written;
}

// A digest of the rows of a table that `where` selects, compared between two databases.
std::string Digest(RawServer& db, int32_t table, const std::string& where) {
  RawResult result = db.Exec("SELECT md5(coalesce(string_agg(t::text, '|' ORDER BY t::text), ''))"
                             " FROM " + db.Table(table) + " t WHERE " + where);
  return std::string(result.Text(0, 0));
}

// orders: the demo's sample order, one per write transaction. The raw side makes as many
// key look-ups as the Talmo side's client made searches and inserts the rows Talmo wrote,
// each in a transaction holding the same write lock.
std::vector<Measurement> Orders(Context& context) {
  const BenchOptions& options = context.options;
  const int32_t orders = options.orders;
  const std::string newOrders = "f3 LIKE 'OBJ%'";
  const std::string newCustomers = "f1 LIKE '3%'";
  Measurement row{"server orders, one per transaction"};
  for (int32_t round = 0; round < options.repeat; ++round) {
    const std::filesystem::path talmoCopy = context.environment.FreshCopy("orders");
    const std::filesystem::path rawCopy = context.environment.FreshCopy("orders-raw");
    uint64_t searches = 0;
    {
      TalmoConnection talmo(ConnectionIniIn(talmoCopy));
      ClientDiagnostics client;
      talmo::clsIniFile demoIni(automation::FromUtf8(talmoCopy.string()), u"TalmoDemo");
      demoIni.SetFileName(u"TalmoDemo.ini");
      talmo_demo::DemoScenarios scenarios(talmo.database(), demoIni, [] {});
      const CallCounts calls = client.Snapshot();
      const uint64_t trips = client.RoundTrips();
      Stopwatch watch;
      for (int32_t i = 0; i < orders; ++i) {
        talmo.BeginWrite();
        scenarios.CreateSampleOrder();
        talmo.EndWrite();
      }
      KeepBest(row.talmo, {orders, watch.Seconds()});
      NoteRoundTrips(row, client.RoundTrips() - trips, orders);
      const CallCounts after = client.Snapshot();
      row.SetClientCalls(calls, after, orders);
      searches = after[kFindMember] - calls[kFindMember];
    }

    RawServer written(context.environment.Conninfo(talmoCopy));
    const WrittenRows headers = ReadWritten(written, kSalesHeaderTable, newOrders, "f3");
    const WrittenRows lines = ReadWritten(written, kSalesLineTable, newOrders, "f3, f4");
    WrittenRows customers = ReadWritten(written, kCustomerTable, newCustomers, "f1");
    Verify(static_cast<int32_t>(headers.rows.size()) == orders,
           "orders: " + std::to_string(orders) + " orders made " +
               std::to_string(headers.rows.size()) + " headers");
    Verify(!lines.rows.empty() && lines.rows.size() % headers.rows.size() == 0,
           "orders: the orders do not all have the same lines");
    const size_t linesPerOrder = lines.rows.size() / headers.rows.size();
    const size_t lookupsPerOrder = searches / static_cast<uint64_t>(orders);
    const std::set<std::string> existing = [&] {
      std::set<std::string> numbers;
      RawServer before(context.environment.Conninfo(rawCopy));
      RawResult result = before.Exec("SELECT f1 FROM " + before.Table(kCustomerTable));
      for (int r = 0; r < result.rows(); ++r) numbers.emplace(result.Text(r, 0));
      return numbers;
    }();

    const int customerNo = ColumnIndex(customers.columns, 1);
    const int sellTo = ColumnIndex(headers.columns, 2);
    std::erase_if(customers.rows,
                  [&](const auto& values) { return existing.count(values[customerNo]) > 0; });

    RawServer raw(context.environment.Conninfo(rawCopy));
    raw.Prepare("item", "SELECT * FROM " + raw.Table(kItemTable) + " WHERE f1=$1");
    const auto prepareInsert = [&](const char* name, int32_t table, const WrittenRows& rows) {
      raw.Prepare(name, "INSERT INTO " + raw.Table(table) + "(" + Columns(rows.columns) +
                            ") VALUES(" + Markers(rows.columns.size()) + ")");
    };
    prepareInsert("header", kSalesHeaderTable, headers);
    prepareInsert("line", kSalesLineTable, lines);
    prepareInsert("customer", kCustomerTable, customers);
    const std::string firstItem(raw.Exec("SELECT min(f1) FROM " + raw.Table(kItemTable)).Text(0, 0));
    size_t nextCustomer = 0;
    Stopwatch watch;
    for (size_t order = 0; order < headers.rows.size(); ++order) {
      raw.Exec("BEGIN; SELECT pg_advisory_xact_lock(7234102211)");
      for (size_t i = 0; i < lookupsPerOrder; ++i) raw.Run("item", {firstItem});
      while (nextCustomer < customers.rows.size() &&
             customers.rows[nextCustomer][customerNo] <= headers.rows[order][sellTo]) {
        raw.Run("customer", customers.rows[nextCustomer++]);
      }
      raw.Run("header", headers.rows[order]);
      for (size_t line = 0; line < linesPerOrder; ++line) {
        raw.Run("line", lines.rows[order * linesPerOrder + line]);
      }
      raw.Exec("COMMIT");
    }
    KeepBest(row.raw, {orders, watch.Seconds()});
    for (const auto& [table, where] : {std::pair{kSalesHeaderTable, newOrders},
                                       std::pair{kSalesLineTable, newOrders},
                                       std::pair{kCustomerTable, std::string("true")}}) {
      Verify(Digest(raw, table, where) == Digest(written, table, where),
             "orders: libpq wrote other rows into table " + std::to_string(table) +
                 " than Talmo");
    }
  }
  return {row};
}

}  // namespace

std::string DescribeRoundTrip(Context& context) {
  constexpr int kTrips = 2000;
  RawServer raw(context.environment.Conninfo(context.environment.FreshCopy("round-trip")));
  raw.Prepare("one", "SELECT 1");
  std::vector<double> micros(kTrips);
  for (double& time : micros) {
    Stopwatch watch;
    Verify(raw.Run("one", {}).Text(0, 0) == "1", "round trip: SELECT 1 did not answer 1");
    time = watch.Seconds() * 1e6;
  }
  std::nth_element(micros.begin(), micros.begin() + kTrips / 2, micros.end());
  return "server round trip: " + Number(micros[kTrips / 2]) + " us (median of " +
         std::to_string(kTrips) + " prepared SELECT 1)";
}

std::vector<Measurement> RunServerOrders(Context& context) { return Orders(context); }
std::vector<Measurement> RunServerGetRec(Context& context) { return GetRec(context); }
std::vector<Measurement> RunServerScan(Context& context) { return Scan(context); }

}  // namespace talmo_bench
