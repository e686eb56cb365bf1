// The demo's database work on an open connection: one sample sales order (customer when
// needed, header, lines), the next free document and customer numbers, and the "Pokus"
// scan of items and item ledger entries. Tables and fields are addressed by number.
//
// Every procedure raises automation::AutomationError; nothing is caught here, so the
// caller decides what a failed order means (the Test run rolls it back).
#pragma once

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "automation/variant.h"
#include "late_object.h"
#include "order_data.h"
#include "util/cls_ini_file.h"

namespace talmo_demo {

// What one ScanItems run saw; the window shows none of it, the headless runner prints it.
struct ScanSummary {
  int32_t itemsScanned = 0;
  int32_t itemsInStock = 0;
  int32_t ledgerEntriesProcessed = 0;
};

// A sample order before it is written.
struct SampleOrder {
  OrderHeaderData header;
  std::vector<OrderLineData> lines;  // lower bound 0; empty elements are skipped
};

class DemoScenarios {
 public:
  // `database`: the connection's Database object. `demoIni`: the program's own INI file.
  // `processEvents`: lets the window handle pending events during long scans.
  DemoScenarios(LateObject database, const talmo::clsIniFile& demoIni,
                std::function<void()> processEvents);
  virtual ~DemoScenarios() = default;

  // Builds a sample order (new document and customer numbers, three lines of the first
  // item) and writes it; returns its document number. Raises 999 "No Items" when there are
  // no items.
  std::u16string CreateSampleOrder();
  // The header and lines CreateSampleOrder writes: reads numbers and the first item.
  SampleOrder MakeSampleOrder();

  // The last document number of `documentType` within the pattern's range ('?' runs from 0
  // to 9), increased by one; the pattern's lowest number increased by one when there is
  // none ("OBJ00001" for "OBJ?????").
  std::u16string NextDocumentNo(std::u16string_view pattern, int16_t documentType);
  // The same for customer numbers ("3501" for "35??").
  std::u16string NextCustomerNo(std::u16string_view pattern);

  // Writes the header, then every non-empty line. A refused insert raises 999.
  void WriteOrder(const OrderHeaderData& header, const std::vector<OrderLineData>& lines);
  // Inserts the customer when it does not exist, then the sales header.
  void CreateOrderHeader(const OrderHeaderData& header);
  void CreateOrderLine(const OrderHeaderData& header, const OrderLineData& line);

  // Steps through the items "K0*" with calculated fields, reading the inventory, then
  // processes item ledger entries with variants.
  ScanSummary ScanItems();
  // Processes at most 20 item ledger entries after the one saved as "LastItemInventory"
  // in section "Counters" of the demo INI file, calling ItemInventoryHook once per item (and
  // variant, when `withVariants`), then saves the last processed entry's number. Returns the
  // number of entries processed; 0 when there was none, and then nothing is saved.
  int32_t ProcessItemLedger(bool withVariants);
  // The place for per-item inventory work; does nothing. `variant` is null when omitted.
  virtual automation::Variant ItemInventoryHook(const std::u16string& item,
                                                const std::u16string* variant);

 private:
  LateObject AllocTable(int16_t tableNo);
  // The last value of `field` within low..high on `table` (already restricted otherwise),
  // or low, increased by IncStr.
  std::u16string NextNumber(LateObject& table, int32_t field, std::u16string_view pattern);

  LateObject database_;
  const talmo::clsIniFile& demoIni_;
  std::function<void()> processEvents_;
};

}  // namespace talmo_demo
