#include "scenarios.h"

#include <algorithm>
#include <cmath>

#include "clock.h"
#include "demo_errors.h"
#include "texts.h"

namespace talmo_demo {
namespace {

using automation::Variant;

// Table numbers.
constexpr int16_t kCustomerTable = 18;
constexpr int16_t kItemTable = 27;
constexpr int16_t kItemLedgerEntryTable = 32;
constexpr int16_t kSalesHeaderTable = 36;
constexpr int16_t kSalesLineTable = 37;

constexpr std::u16string_view kDocumentNoPattern = u"OBJ?????";
constexpr std::u16string_view kCustomerNoPattern = u"35??";
constexpr std::u16string_view kScannedItems = u"K0*";
constexpr int kSampleLineCount = 3;
constexpr int32_t kLedgerEntriesPerRun = 20;
constexpr int32_t kItemInventoryField = 50060;

// A Table seen through its dispatch interface; field numbers go as 32-bit integers.
class TableCalls {
 public:
  explicit TableCalls(LateObject& table) : table_(table) {}

  Variant Field(int32_t field) { return table_.Get(u"Field", field); }
  void SetField(int32_t field, Variant value) { table_.Put(u"Field", field, std::move(value)); }
  void Validate(int32_t field, Variant value) { table_.Call(u"Validate", field, std::move(value)); }
  bool Find(std::u16string_view method) { return table_.Call(u"Find", method).ToBoolean(); }
  bool Insert() { return table_.Call(u"Insert", true).ToBoolean(); }

 private:
  LateObject& table_;
};

// The pattern with every '?' replaced by `digit`.
std::u16string FillPattern(std::u16string_view pattern, char16_t digit) {
  std::u16string text(pattern);
  std::replace(text.begin(), text.end(), u'?', digit);
  return text;
}

// Today's date without the time.
double Today() { return std::floor(NowDateSerial()); }

// `gross` less `vatPercent` % VAT, rounded to 2 decimals, with the automation arithmetic.
Variant WithoutVat(const Variant& gross, const Variant& vatPercent) {
  const Variant factor =
      automation::Add(Variant(int16_t{1}), automation::Divide(vatPercent, Variant(int16_t{100})));
  return automation::Round(automation::Divide(gross, factor), 2);
}

// The key of a sales header for messages: document type and number.
std::u16string HeaderKey(const OrderHeaderData& header) {
  return Variant(header.documentType).ToString() + u", " + header.documentNo;
}

}  // namespace

DemoScenarios::DemoScenarios(LateObject database, const talmo::clsIniFile& demoIni,
                             std::function<void()> processEvents)
    : database_(std::move(database)), demoIni_(demoIni), processEvents_(std::move(processEvents)) {}

LateObject DemoScenarios::AllocTable(int16_t tableNo) {
  return AsObject(database_.Call(u"AllocTable", tableNo));
}

std::u16string DemoScenarios::NextNumber(LateObject& table, int32_t field,
                                         std::u16string_view pattern) {
  const std::u16string low = FillPattern(pattern, u'0');
  const std::u16string high = FillPattern(pattern, u'9');
  table.Call(u"SetRange", field, low, high);
  TableCalls calls(table);
  const std::u16string last = calls.Find(u"+") ? calls.Field(field).ToString() : low;
  return database_.Call(u"IncStr", last).ToString();
}

std::u16string DemoScenarios::NextDocumentNo(std::u16string_view pattern, int16_t documentType) {
  LateObject headers = AllocTable(kSalesHeaderTable);
  headers.Call(u"SetRange", int32_t{1}, documentType);
  return NextNumber(headers, 3, pattern);
}

std::u16string DemoScenarios::NextCustomerNo(std::u16string_view pattern) {
  LateObject customers = AllocTable(kCustomerTable);
  return NextNumber(customers, 1, pattern);
}

SampleOrder DemoScenarios::MakeSampleOrder() {
  SampleOrder order;
  order.header = SampleHeader();
  order.header.documentNo = NextDocumentNo(kDocumentNoPattern, order.header.documentType);
  order.header.customerNo = NextCustomerNo(kCustomerNoPattern);
  order.header.orderDate = Today();
  order.header.shipmentDate = order.header.orderDate + 3;

  LateObject items = AllocTable(kItemTable);
  TableCalls item(items);
  if (!item.Find(u"-")) RaiseNoItems();
  // The line array starts with bounds 0..1 and grows with room to spare; element 0 stays
  // empty. Find(">=") keeps the current item, so every line gets the first one.
  order.lines.resize(2);
  for (int i = 1; i <= kSampleLineCount; ++i) {
    if (static_cast<int>(order.lines.size()) - 1 < i) order.lines.resize(i + 6);
    order.lines[i] = SampleLine(i, item.Field(1).ToString());
    item.Find(u">=");
  }
  return order;
}

std::u16string DemoScenarios::CreateSampleOrder() {
  const SampleOrder order = MakeSampleOrder();
  WriteOrder(order.header, order.lines);
  return order.header.documentNo;
}

void DemoScenarios::WriteOrder(const OrderHeaderData& header,
                               const std::vector<OrderLineData>& lines) {
  CreateOrderHeader(header);
  for (const OrderLineData& line : lines) {
    if (!line.IsEmpty()) CreateOrderLine(header, line);
  }
}

void DemoScenarios::CreateOrderHeader(const OrderHeaderData& header) {
  LateObject headerTable = AllocTable(kSalesHeaderTable);
  LateObject customerTable = AllocTable(kCustomerTable);
  TableCalls sales(headerTable);
  TableCalls customer(customerTable);

  sales.Validate(1, header.documentType);
  sales.Validate(3, header.documentNo);

  if (!customerTable.Call(u"GetRecT", header.customerNo).ToBoolean()) {
    customerTable.Call(u"Init");
    customer.SetField(1, header.customerNo);
    customer.SetField(2, header.name);
    customer.SetField(4, header.name2);
    customer.SetField(8, header.contact);
    customer.SetField(5, header.address);
    customer.SetField(6, header.address2);
    customer.SetField(91, header.postCode);
    customer.SetField(7, header.city);
    customer.SetField(86, header.vatRegistrationNo);
    customer.SetField(88, header.genBusPostingGroup);
    customer.SetField(110, header.vatBusPostingGroup);
    customer.SetField(21, header.customerPostingGroup);
    if (!customer.Insert()) RaiseInsertRefused(u"Customer", header.customerNo);
  }

  sales.Validate(2, header.customerNo);
  sales.SetField(5, header.name);
  sales.SetField(6, header.name2);
  sales.SetField(10, header.contact);
  sales.SetField(7, header.address);
  sales.SetField(8, header.address2);
  sales.SetField(85, header.postCode);
  sales.SetField(9, header.city);
  sales.SetField(70, header.vatRegistrationNo);
  sales.Validate(19, Variant::Date(header.orderDate));
  sales.SetField(21, Variant::Date(header.shipmentDate));
  sales.Validate(24, Variant::Date(header.dueDate));
  sales.SetField(43, header.salespersonCode);
  sales.SetField(13, header.shipToName);
  sales.SetField(14, header.shipToName2);
  sales.SetField(18, header.shipToContact);
  sales.SetField(15, header.shipToAddress);
  sales.SetField(16, header.shipToAddress2);
  sales.SetField(91, header.shipToPostCode);
  sales.SetField(17, header.shipToCity);
  sales.SetField(17, kShipToCityText);
  if (!sales.Insert()) RaiseInsertRefused(u"Sales Header", HeaderKey(header));
}

void DemoScenarios::CreateOrderLine(const OrderHeaderData& header, const OrderLineData& line) {
  LateObject lineTable = AllocTable(kSalesLineTable);
  TableCalls sales(lineTable);
  sales.SetField(1, header.documentType);
  sales.SetField(3, header.documentNo);
  sales.SetField(4, line.lineNo);
  sales.Validate(5, line.type);
  sales.Validate(6, line.no);
  sales.Validate(15, line.quantity);

  // A price including VAT is brought down by the VAT % the rules above put into field 25.
  const Variant unitPrice(line.unitPrice);
  if (line.priceIncludesVat) {
    sales.Validate(22, WithoutVat(unitPrice, sales.Field(25)));
  } else {
    sales.Validate(22, unitPrice);
  }
  if (line.quantity != 0) {
    const Variant amount(line.amount);
    const Variant zero(int16_t{0});
    if (!automation::Equals(amount, zero) && automation::Equals(unitPrice, zero)) {
      const Variant perUnit = automation::Divide(amount, Variant(line.quantity));
      sales.Validate(22, WithoutVat(perUnit, sales.Field(25)));
    }
    if (!automation::Equals(amount, zero)) {
      sales.Validate(30, amount);
    } else {
      sales.Validate(22, zero);
    }
  }
  if (!line.locationCode.empty()) sales.Validate(7, line.locationCode);
  if (!line.shortcutDimension1Code.empty()) sales.Validate(40, line.shortcutDimension1Code);
  if (!line.shortcutDimension2Code.empty()) sales.Validate(41, line.shortcutDimension2Code);
  if (!line.description.empty()) sales.SetField(11, line.description);
  if (!sales.Insert()) {
    RaiseInsertRefused(u"Sales Line", HeaderKey(header) + u", " + Variant(line.lineNo).ToString());
  }
}

ScanSummary DemoScenarios::ScanItems() {
  ScanSummary summary;
  LateObject items = AllocTable(kItemTable);
  TableCalls item(items);
  items.Put(u"AutoCalcFields", true);
  items.Call(u"SetFilter", int32_t{1}, kScannedItems);
  while (item.Find(u">")) {
    processEvents_();
    ++summary.itemsScanned;
    if (item.Field(kItemInventoryField).ToDouble() != 0) {
      // Where per-item work would read the number and the description.
      item.Field(1);
      item.Field(3);
      ++summary.itemsInStock;
    }
  }
  summary.ledgerEntriesProcessed = ProcessItemLedger(true);
  return summary;
}

int32_t DemoScenarios::ProcessItemLedger(bool withVariants) {
  const std::u16string saved = demoIni_.LoadFromINI(
      texts::kCountersSection, texts::kLastItemInventoryKey, /*Povinne=*/false);
  const int32_t last = Variant(u"0" + saved).ToLong();

  LateObject entries = AllocTable(kItemLedgerEntryTable);
  TableCalls entry(entries);
  entries.Call(u"SetCurrentKey", int32_t{1});
  entries.Call(u"SetFilter", int32_t{1}, u">0" + Variant(last).ToString());
  if (!entry.Find(u"-")) return 0;

  std::set<std::pair<std::u16string, std::u16string>> seen;
  int32_t count = 0;
  int32_t lastEntryNo = last;
  while (true) {
    ++count;
    // The entry's own number, read before NextRec moves on, is what the next run starts after.
    lastEntryNo = entry.Field(1).ToLong();
    const std::u16string item = entry.Field(2).ToString();
    const std::u16string variant = withVariants ? entry.Field(8).ToString() : std::u16string();
    if (seen.emplace(item, variant).second) {
      ItemInventoryHook(item, withVariants ? &variant : nullptr);
    }
    if (entries.Call(u"NextRec", int16_t{1}).ToLong() <= 0 || count >= kLedgerEntriesPerRun) break;
  }
  demoIni_.SaveToINI(texts::kCountersSection, texts::kLastItemInventoryKey,
                     Variant(lastEntryNo).ToString());
  return count;
}

automation::Variant DemoScenarios::ItemInventoryHook(const std::u16string&, const std::u16string*) {
  return {};
}

}  // namespace talmo_demo
