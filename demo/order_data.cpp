#include "order_data.h"

#include <utility>

namespace talmo_demo {
namespace {

// 136.20 in Currency units.
constexpr automation::Currency kSampleUnitPrice{1362000};

}  // namespace

OrderHeaderData SampleHeader() {
  OrderHeaderData header;
  header.documentType = kOrderDocumentType;
  header.name = u"Stavebniny Horák s.r.o.";
  header.contact = u"Jana Horáková";
  header.address = u"Nádražní 1284";
  header.city = u"Pardubice";
  header.postCode = u"530 02";
  header.vatRegistrationNo = u"CZ25931458";
  header.genBusPostingGroup = u"NATIONAL";
  header.vatBusPostingGroup = u"NATIONAL";
  header.customerPostingGroup = u"DOMESTIC";
  header.shipToContact = u"Petr Dvořák";
  header.shipToAddress = u"Průmyslová 455";
  header.shipToCity = u"Pardubice";
  header.shipToPostCode = u"533 53";
  return header;
}

OrderLineData SampleLine(int i, std::u16string itemNo) {
  OrderLineData line;
  line.lineNo = (i + 1) * 10000;
  line.type = kItemLineType;
  line.no = std::move(itemNo);
  line.quantity = i;
  line.unitPrice = kSampleUnitPrice;
  line.priceIncludesVat = true;
  line.amount = automation::Currency{kSampleUnitPrice.scaled * i};
  return line;
}

}  // namespace talmo_demo
