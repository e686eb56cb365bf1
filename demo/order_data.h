// The data of one sample sales order as the demo writes it: a header record (with the
// customer it creates when needed) and its lines.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "automation/variant.h"

namespace talmo_demo {

// One order's header. The comments name the fields each member is written to
// (customer 18.n, sales header 36.n).
struct OrderHeaderData {
  int16_t documentType = 0;             // 36.1
  std::u16string documentNo;            // 36.3
  std::u16string customerNo;            // 18.1, 36.2
  std::u16string name;                  // 18.2, 36.5
  std::u16string name2;                 // 18.4, 36.6
  std::u16string contact;               // 18.8, 36.10
  std::u16string address;               // 18.5, 36.7
  std::u16string address2;              // 18.6, 36.8
  std::u16string city;                  // 18.7, 36.9
  std::u16string postCode;              // 18.91, 36.85
  std::u16string vatRegistrationNo;     // 18.86, 36.70
  std::u16string genBusPostingGroup;    // 18.88
  std::u16string vatBusPostingGroup;    // 18.110
  std::u16string customerPostingGroup;  // 18.21
  std::u16string shipToName;            // 36.13
  std::u16string shipToName2;           // 36.14
  std::u16string shipToContact;         // 36.18
  std::u16string shipToAddress;         // 36.15
  std::u16string shipToAddress2;        // 36.16
  std::u16string shipToCity;            // 36.17
  std::u16string shipToPostCode;        // 36.91
  double orderDate = 0;                 // 36.19, an automation date
  double shipmentDate = 0;              // 36.21
  double dueDate = 0;                   // 36.24; 0 is the undefined date
  std::u16string salespersonCode;       // 36.43
};

// One sales line (table 37).
struct OrderLineData {
  int32_t lineNo = 0;              // 37.4
  int16_t type = 0;                // 37.5
  std::u16string no;               // 37.6
  double quantity = 0;             // 37.15
  automation::Currency unitPrice;  // 37.22, with or without VAT as the flag says
  bool priceIncludesVat = false;
  automation::Currency amount;            // 37.30 when not 0
  std::u16string description;             // 37.11 when not empty
  std::u16string locationCode;            // 37.7 when not empty
  std::u16string shortcutDimension1Code;  // 37.40 when not empty
  std::u16string shortcutDimension2Code;  // 37.41 when not empty

  // An unused element of a line array.
  bool IsEmpty() const noexcept { return no.empty() && lineNo == 0; }
};

// The sample values: order type, the customer and delivery address. Numbers, dates and
// lines are filled by CreateSampleOrder.
inline constexpr int16_t kOrderDocumentType = 1;
inline constexpr int16_t kItemLineType = 2;
OrderHeaderData SampleHeader();

// The fixed text written over the ship-to city after the sample address.
inline constexpr std::u16string_view kShipToCityText = u"Pardubice - sklad";

// Sample line `i` (1-based) for item `itemNo`: line number (i + 1) * 10000, quantity i,
// unit price 136.20 including VAT, amount unit price * quantity.
OrderLineData SampleLine(int i, std::u16string itemNo);

}  // namespace talmo_demo
