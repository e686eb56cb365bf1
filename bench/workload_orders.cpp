// orders: the demo's sample order (next document and customer numbers, the customer when it
// is new, the header and three item lines, every field rule cascading) N times, all in one
// write transaction and one order per transaction. Talmo runs the demo's own scenario code;
// the raw side inserts the same rows, with the amounts Talmo computed (read back from the
// Talmo run's database), and makes as many key look-ups as the Talmo run's client made
// searches, on the records an order consults.
#include <algorithm>
#include <cmath>
#include <map>
#include <optional>
#include <set>

#include "automation/text.h"
#include "checksum.h"
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
constexpr int32_t kLinesPerOrder = 3;
constexpr double kSampleUnitPrice = 136.2;  // including VAT

// What the Talmo side did.
struct TalmoRun {
  SideResult side;
  CallCounts before{}, after{};  // the client's calls
  uint64_t searches = 0;         // the client's find calls (member 19)
};

// One order as the Talmo run stored it.
struct StoredOrder {
  SqlRow header;
  std::vector<SqlRow> lines;
  std::optional<SqlRow> customer;  // when this order created it
};

// Every table the run writes, and how to read back what it wrote.
struct OrderTables {
  std::vector<std::string> customerColumns, headerColumns, lineColumns;
  explicit OrderTables(RawDatabase& db)
      : customerColumns(db.Columns(kCustomerTable)),
        headerColumns(db.Columns(kSalesHeaderTable)),
        lineColumns(db.Columns(kSalesLineTable)) {}
};

const std::string& TextAt(const SqlRow& row, int column) {
  static const std::string none;
  const auto* text = std::get_if<std::string>(&row[column]);
  return text != nullptr ? *text : none;
}

double NumberAt(const SqlRow& row, int column) {
  if (const auto* real = std::get_if<double>(&row[column])) return *real;
  if (const auto* integer = std::get_if<int64_t>(&row[column]))
    return static_cast<double>(*integer);
  return 0;
}

// The N-th document number of the demo's pattern OBJ?????.
std::string DocumentNo(int32_t n) {
  std::string digits = std::to_string(n);
  return "OBJ" + std::string(digits.size() < 5 ? 5 - digits.size() : 0, '0') + digits;
}

// The customer the demo gives the N-th order: 3501 to 3599, then 3600 for every later one.
std::string CustomerNo(int32_t n) { return std::to_string(3500 + std::min(n, 100)); }

TalmoRun RunTalmo(const std::filesystem::path& copy, int32_t orders, bool perTransaction) {
  TalmoConnection talmo(ConnectionIniIn(copy));
  ClientDiagnostics client;
  talmo::clsIniFile demoIni(automation::FromUtf8(copy.string()), u"TalmoDemo");
  demoIni.SetFileName(u"TalmoDemo.ini");
  talmo_demo::DemoScenarios scenarios(talmo.database(), demoIni, [] {});

  TalmoRun run;
  run.before = client.Snapshot();
  Stopwatch watch;
  if (!perTransaction) talmo.BeginWrite();
  for (int32_t i = 0; i < orders; ++i) {
    if (perTransaction) talmo.BeginWrite();
    scenarios.CreateSampleOrder();
    if (perTransaction) talmo.EndWrite();
  }
  if (!perTransaction) talmo.EndWrite();
  run.side = {orders, watch.Seconds()};
  run.after = client.Snapshot();
  run.searches = run.after[kFindMember] - run.before[kFindMember];
  return run;
}

std::vector<SqlRow> ReadAll(RawDatabase& db, int32_t table, const std::vector<std::string>& columns,
                            const std::string& order) {
  Statement select(
      db, "SELECT " + ColumnList(columns) + " FROM " + db.Table(table) + " ORDER BY " + order);
  std::vector<SqlRow> rows;
  while (select.Step()) rows.push_back(select.Row());
  return rows;
}

// Reads back what the Talmo run wrote and checks it against what the demo's rules must
// produce: numbering, customers, one item on every line, quantities, amounts and VAT.
std::vector<StoredOrder> ReadAndCheckOrders(RawDatabase& sample, RawDatabase& written,
                                            const OrderTables& tables, int32_t orders) {
  std::set<std::string> sampleCustomers;
  Statement customers(sample, "SELECT f1 FROM " + sample.Table(kCustomerTable));
  while (customers.Step()) sampleCustomers.emplace(customers.Text(0));
  Statement firstItem(sample,
                      "SELECT f1 FROM " + sample.Table(kItemTable) + " ORDER BY f1 LIMIT 1");
  Verify(firstItem.Step(), "orders: the sample has no items");
  const std::string itemNo(firstItem.Text(0));
  // The VAT % every line must get: the setup of the customer's group and the item's group.
  Statement setup(sample, "SELECT f4 FROM " + sample.Table(325) +
                              " WHERE f1='NATIONAL' AND f2=(SELECT f99 FROM " +
                              sample.Table(kItemTable) + " WHERE f1=?)");
  setup.Bind(1, itemNo);
  Verify(setup.Step(), "orders: the sample has no VAT posting setup for the first item");
  const double expectedVat = setup.Real(0);

  const std::vector<SqlRow> headers =
      ReadAll(written, kSalesHeaderTable, tables.headerColumns, "f1,f3");
  const std::vector<SqlRow> lines =
      ReadAll(written, kSalesLineTable, tables.lineColumns, "f1,f3,f4");
  std::map<std::string, SqlRow> newCustomers;
  const int customerNo = ColumnIndex(tables.customerColumns, 1);
  for (SqlRow& row : ReadAll(written, kCustomerTable, tables.customerColumns, "f1")) {
    if (!sampleCustomers.count(TextAt(row, customerNo))) {
      newCustomers.emplace(TextAt(row, customerNo), std::move(row));
    }
  }
  Verify(static_cast<int32_t>(headers.size()) == orders,
         "orders: " + std::to_string(orders) + " orders made " + std::to_string(headers.size()) +
             " sales headers");
  Verify(lines.size() == headers.size() * kLinesPerOrder,
         "orders: " + std::to_string(lines.size()) + " sales lines for " +
             std::to_string(headers.size()) + " headers");
  Verify(static_cast<int32_t>(newCustomers.size()) == std::min(orders, 100),
         "orders: " + std::to_string(newCustomers.size()) + " new customers for " +
             std::to_string(orders) + " orders");

  const int headerType = ColumnIndex(tables.headerColumns, 1);
  const int headerNo = ColumnIndex(tables.headerColumns, 3);
  const int headerCustomer = ColumnIndex(tables.headerColumns, 2);
  const int headerName = ColumnIndex(tables.headerColumns, 5);
  const int lineDocument = ColumnIndex(tables.lineColumns, 3);
  const int lineNo = ColumnIndex(tables.lineColumns, 4);
  const int lineItem = ColumnIndex(tables.lineColumns, 6);
  const int lineQuantity = ColumnIndex(tables.lineColumns, 15);
  const int lineUnitPrice = ColumnIndex(tables.lineColumns, 22);
  const int lineVat = ColumnIndex(tables.lineColumns, 25);
  const int lineAmount = ColumnIndex(tables.lineColumns, 29);
  const int lineAmountWithVat = ColumnIndex(tables.lineColumns, 30);

  std::vector<StoredOrder> stored(orders);
  std::set<std::string> customersSeen;
  for (int32_t n = 1; n <= orders; ++n) {
    StoredOrder& order = stored[n - 1];
    order.header = headers[n - 1];
    const std::string documentNo = DocumentNo(n);
    const std::string label = "orders: order " + documentNo + ": ";
    Verify(NumberAt(order.header, headerType) == 1 && TextAt(order.header, headerNo) == documentNo,
           label + "missing or numbered " + TextAt(order.header, headerNo));
    Verify(TextAt(order.header, headerCustomer) == CustomerNo(n),
           label + "customer " + TextAt(order.header, headerCustomer) + ", not " + CustomerNo(n));
    Verify(!TextAt(order.header, headerName).empty(), label + "the customer's name was not copied");
    if (customersSeen.insert(CustomerNo(n)).second) {
      const auto customer = newCustomers.find(CustomerNo(n));
      Verify(customer != newCustomers.end(), label + "customer " + CustomerNo(n) + " missing");
      order.customer = customer->second;
    }
    for (int i = 1; i <= kLinesPerOrder; ++i) {
      const SqlRow& line = lines[(n - 1) * kLinesPerOrder + (i - 1)];
      order.lines.push_back(line);
      const std::string lineLabel = label + "line " + std::to_string(i) + ": ";
      Verify(TextAt(line, lineDocument) == documentNo && NumberAt(line, lineNo) == (i + 1) * 10000,
             lineLabel + "missing");
      Verify(TextAt(line, lineItem) == itemNo, lineLabel + "item " + TextAt(line, lineItem));
      Verify(NumberAt(line, lineQuantity) == i, lineLabel + "wrong quantity");
      const double vat = NumberAt(line, lineVat);
      Verify(vat == expectedVat, lineLabel + "VAT " + std::to_string(vat) + " %, the setup says " +
                                     std::to_string(expectedVat) + " %");
      const double withVat = NumberAt(line, lineAmountWithVat);
      const double amount = NumberAt(line, lineAmount);
      const double unitPrice = NumberAt(line, lineUnitPrice);
      Verify(std::abs(withVat - kSampleUnitPrice * i) < 0.005,
             lineLabel + "amount including VAT " + std::to_string(withVat));
      Verify(std::abs(amount * (1 + vat / 100) - withVat) < 0.01 * (1 + vat / 100) + 1e-9,
             lineLabel + "amount " + std::to_string(amount) + " does not match VAT " +
                 std::to_string(vat) + " %");
      Verify(
          std::abs(unitPrice - std::round(kSampleUnitPrice / (1 + vat / 100) * 100) / 100) < 0.005,
          lineLabel + "unit price " + std::to_string(unitPrice));
    }
  }
  return stored;
}

Checksum TableChecksum(RawDatabase& db, int32_t table, const std::vector<std::string>& columns,
                       const std::string& order) {
  Checksum checksum;
  for (const SqlRow& row : ReadAll(db, table, columns, order)) {
    for (const SqlValue& value : row) {
      if (const auto* text = std::get_if<std::string>(&value)) {
        checksum.AddText(*text);
      } else {
        checksum.AddNumber(std::holds_alternative<std::monostate>(value) ? -1
                           : std::holds_alternative<double>(value)
                               ? std::get<double>(value)
                               : static_cast<double>(std::get<int64_t>(value)));
      }
    }
  }
  return checksum;
}

// The key look-ups an order consults, cycled through until the raw side has made as many
// as the Talmo run's client searched: the numbering (last header and customer of their
// ranges, the first item) first, then records by their primary keys.
class RawLookups {
 public:
  RawLookups(RawDatabase& db, const std::string& itemNo)
      : lastHeader_(db, "SELECT f3 FROM " + db.Table(kSalesHeaderTable) +
                            " WHERE f1=1 AND f3 BETWEEN 'OBJ00000' AND 'OBJ99999'"
                            " ORDER BY f1 DESC, f3 DESC LIMIT 1"),
        lastCustomer_(db, "SELECT f1 FROM " + db.Table(kCustomerTable) +
                              " WHERE f1 BETWEEN '3500' AND '3599' ORDER BY f1 DESC LIMIT 1"),
        firstItem_(db, "SELECT * FROM " + db.Table(kItemTable) + " ORDER BY f1 LIMIT 1"),
        itemNo_(itemNo) {
    const auto byKey = [&](int32_t table, const char* where) {
      byKey_.push_back(
          std::make_unique<Statement>(db, "SELECT * FROM " + db.Table(table) + " WHERE " + where));
    };
    byKey(kCustomerTable, "f1=?1");              // the order's customer
    byKey(kItemTable, "f1=?2");                  // the item
    byKey(325, "f1='NATIONAL' AND f2=?3");       // VAT posting setup
    byKey(5404, "f1=?2 AND f2=?4");              // the item's unit of measure
    byKey(204, "f1=?4");                         // unit of measure
    byKey(250, "f1='NATIONAL'");                 // gen. business posting group
    byKey(92, "f1='DOMESTIC'");                  // customer posting group
    byKey(323, "f1='NATIONAL'");                 // VAT business posting group
    byKey(251, "f1=?5");                         // gen. product posting group
    byKey(324, "f1=?3");                         // VAT product posting group
    byKey(kSalesHeaderTable, "f1=1 AND f3=?6");  // the order's header
    Statement item(db, "SELECT f99, f8, f91 FROM " + db.Table(kItemTable) + " WHERE f1=?");
    item.Bind(1, itemNo);
    Verify(item.Step(), "orders: the first item is missing");
    vatGroup_ = item.Text(0);
    unit_ = item.Text(1);
    productGroup_ = item.Text(2);
  }

  // Makes `count` look-ups for the order with `documentNo` and `customerNo`; returns how
  // many found their record (the header of the order only once it is written).
  int64_t Run(int64_t count, const std::string& documentNo, const std::string& customerNo) {
    int64_t found = 0;
    for (Statement* numbering : {&lastHeader_, &lastCustomer_, &firstItem_}) {
      if (count-- <= 0) return found;
      found += numbering->Step() ? 1 : 0;
      numbering->Reset();
    }
    for (size_t next = 0; count-- > 0; next = (next + 1) % byKey_.size()) {
      Statement& lookup = *byKey_[next];
      BindAll(lookup, documentNo, customerNo);
      found += lookup.Step() ? 1 : 0;
      lookup.Reset();
    }
    return found;
  }

 private:
  void BindAll(Statement& lookup, const std::string& documentNo, const std::string& customerNo) {
    const int parameters = sqlite3_bind_parameter_count(lookup.get());
    const std::string* values[] = {&customerNo, &itemNo_,       &vatGroup_,
                                   &unit_,      &productGroup_, &documentNo};
    for (int i = 1; i <= parameters; ++i) {
      if (sqlite3_bind_parameter_name(lookup.get(), i) != nullptr) lookup.Bind(i, *values[i - 1]);
    }
  }

  Statement lastHeader_, lastCustomer_, firstItem_;
  std::vector<std::unique_ptr<Statement>> byKey_;
  std::string itemNo_, vatGroup_, unit_, productGroup_;
};

SideResult RunRaw(RawDatabase& db, const OrderTables& tables,
                  const std::vector<StoredOrder>& orders, const std::string& itemNo,
                  uint64_t searches, bool perTransaction) {
  const auto insert = [&](int32_t table, const std::vector<std::string>& columns) {
    return std::make_unique<Statement>(db, "INSERT INTO " + db.Table(table) + "(" +
                                               ColumnList(columns) + ") VALUES(" +
                                               Markers(columns.size()) + ")");
  };
  auto insertCustomer = insert(kCustomerTable, tables.customerColumns);
  auto insertHeader = insert(kSalesHeaderTable, tables.headerColumns);
  auto insertLine = insert(kSalesLineTable, tables.lineColumns);
  const auto write = [](Statement& statement, const SqlRow& row) {
    for (size_t i = 0; i < row.size(); ++i) statement.BindValue(static_cast<int>(i + 1), row[i]);
    statement.Run();
  };
  RawLookups lookups(db, itemNo);
  const int headerNo = ColumnIndex(tables.headerColumns, 3);
  const int headerCustomer = ColumnIndex(tables.headerColumns, 2);

  Stopwatch watch;
  if (!perTransaction) db.Exec("BEGIN IMMEDIATE");
  const uint64_t count = orders.size();
  for (uint64_t n = 0; n < count; ++n) {
    const StoredOrder& order = orders[n];
    if (perTransaction) db.Exec("BEGIN IMMEDIATE");
    // The Talmo run's searches spread evenly over its orders.
    const int64_t searchesNow =
        static_cast<int64_t>(searches * (n + 1) / count - searches * n / count);
    lookups.Run(searchesNow, TextAt(order.header, headerNo), TextAt(order.header, headerCustomer));
    if (order.customer) write(*insertCustomer, *order.customer);
    write(*insertHeader, order.header);
    for (const SqlRow& line : order.lines) write(*insertLine, line);
    if (perTransaction) db.Exec("COMMIT");
  }
  if (!perTransaction) db.Exec("COMMIT");
  return {static_cast<int64_t>(count), watch.Seconds()};
}

}  // namespace

std::vector<Measurement> RunOrders(Context& context) {
  const BenchOptions& options = context.options;
  RawDatabase sample(context.environment.sample());
  const OrderTables tables(sample);
  Statement firstItem(sample,
                      "SELECT f1 FROM " + sample.Table(kItemTable) + " ORDER BY f1 LIMIT 1");
  Verify(firstItem.Step(), "orders: the sample has no items");
  const std::string itemNo(firstItem.Text(0));

  std::vector<Measurement> rows;
  for (const bool perTransaction : {false, true}) {
    Measurement row{perTransaction ? "orders, one per transaction" : "orders, one transaction"};
    for (int32_t round = 0; round < options.repeat; ++round) {
      const std::filesystem::path talmoCopy = context.environment.FreshCopy("orders-talmo");
      const TalmoRun talmo = RunTalmo(talmoCopy, options.orders, perTransaction);
      RawDatabase written(DatabaseIn(talmoCopy));
      const std::vector<StoredOrder> stored =
          ReadAndCheckOrders(sample, written, tables, options.orders);

      const std::filesystem::path rawCopy = context.environment.FreshCopy("orders-raw");
      RawDatabase raw(DatabaseIn(rawCopy));
      const SideResult rawSide =
          RunRaw(raw, tables, stored, itemNo, talmo.searches, perTransaction);
      for (const auto& [table, columns, order] :
           {std::tuple{kCustomerTable, &tables.customerColumns, "f1"},
            std::tuple{kSalesHeaderTable, &tables.headerColumns, "f1,f3"},
            std::tuple{kSalesLineTable, &tables.lineColumns, "f1,f3,f4"}}) {
        Verify(TableChecksum(raw, table, *columns, order) ==
                   TableChecksum(written, table, *columns, order),
               "orders: the raw run's table " + std::to_string(table) +
                   " differs from the Talmo run's");
      }
      KeepBest(row.talmo, talmo.side);
      KeepBest(row.raw, rawSide);
      row.SetClientCalls(talmo.before, talmo.after, options.orders);
      row.note = std::to_string(talmo.searches / options.orders) + " searches/order";
    }
    rows.push_back(row);
  }
  return rows;
}

}  // namespace talmo_bench
