#include "sales_document.h"

#include "automation/text.h"

namespace talmo::testing {

using automation::Ref;
using automation::Variant;
using namespace sales;

void SalesDocumentTest::SetUp() {
  RulesTest::SetUp();
  InsertRecord(18, {{1, Variant(kCustomer)},
                    {2, Variant(u"Kovárna Test")},
                    {4, Variant(u"s.r.o.")},
                    {5, Variant(u"Dlouhá 1")},
                    {6, Variant(u"2. patro")},
                    {7, Variant(u"Brno")},
                    {8, Variant(u"Jana Nová")},
                    {35, Variant(u"CZ")},
                    {86, Variant(u"CZ12345678")},
                    {88, Variant(u"DOMESTIC")},
                    {91, Variant(u"60200")},
                    {92, Variant(u"Jihomoravský")},
                    {108, Variant(u"T6-AREA")},
                    {109, Variant(true)},
                    {110, Variant(u"NATIONAL")}});
  InsertRecord(27, {{1, Variant(kItem)},
                    {3, Variant(u"Šroub M6")},
                    {5, Variant(u"pozinkovaný")},
                    {11, Variant(u"RESALE")},
                    {13, Variant(kDiscountGroup)},
                    {15, Variant(false)},
                    {22, Variant(kItemUnitCost)},
                    {41, Variant(2.0)},
                    {42, Variant(1.5)},
                    {43, Variant(10.0)},
                    {44, Variant(0.25)},
                    {91, Variant(u"RETAIL")},
                    {98, Variant(u"T6-TAX")},
                    {99, Variant(u"STANDARD")},
                    {5425, Variant(u"PCS")}});
  InsertRecord(341, {{1, Variant(kDiscountGroup)}});
  InsertRecord(29, {{1, Variant(kDiscountGroup)}, {3, Variant(0.0)}, {4, Variant(10.0)}});
  InsertRecord(29, {{1, Variant(kDiscountGroup)}, {3, Variant(5.0)}, {4, Variant(20.0)}});
  header_ = InsertRecord(36, {{1, Variant(kOrder)},
                              {3, Variant(kDocumentNo)},
                              {2, Variant(kCustomer)},
                              {4, Variant(kCustomer)},
                              {21, Variant::Date(45300)},
                              {28, Variant(u"T6-LOC")},
                              {29, Variant(u"DIM1")},
                              {30, Variant(u"DIM2")},
                              {34, Variant(u"T6-PRICE")},
                              {56, Variant(u"T6-JOB")},
                              {74, Variant(u"DOMESTIC")},
                              {76, Variant(u"T6-TT")},
                              {77, Variant(u"T6-TM")},
                              {97, Variant(u"T6-EXIT")},
                              {101, Variant(u"T6-AREA")},
                              {102, Variant(u"T6-TRDET")},
                              {114, Variant(u"T6-TAXAREA")},
                              {115, Variant(true)},
                              {116, Variant(u"NATIONAL")}});
  SetDiscountCalculation(0);
}

void SalesDocumentTest::TearDown() {
  header_.reset();
  RulesTest::TearDown();
}

void SalesDocumentTest::SetHeaderField(int32_t field, const Variant& value) {
  Put(*header_, field, value);
  header_->Modify();
}

void SalesDocumentTest::SetDiscountCalculation(int16_t calculation) {
  Ref<Table> setup = Alloc(311);
  setup->GetRec({});
  Put(*setup, 3, Variant(calculation));
  setup->Modify();
}

Ref<Table> SalesDocumentTest::NewLine(int32_t lineNo) {
  Ref<Table> line = Alloc(37);
  Put(*line, 1, Variant(kOrder));
  Put(*line, 3, Variant(kDocumentNo));
  Put(*line, 4, Variant(lineNo));
  return line;
}

Entry37& SalesDocumentTest::RulesOf(Table& line) {
  auto* rules = dynamic_cast<Entry37*>(line.EntryProcess().get());
  if (rules == nullptr) throw std::logic_error("the line has no Entry37");
  return *rules;
}

void SalesDocumentTest::Validate(Table& line, int32_t field, const Variant& value) {
  line.Validate(Variant(field), &value);
}

Ref<Table> SalesDocumentTest::ItemLine(double quantity, double unitPrice) {
  Ref<Table> line = NewLine();
  Validate(*line, 5, Variant(kItemLine));
  Validate(*line, 6, Variant(kItem));
  Put(*line, 22, Variant(unitPrice));
  Validate(*line, 15, Variant(quantity));
  return line;
}

}  // namespace talmo::testing
