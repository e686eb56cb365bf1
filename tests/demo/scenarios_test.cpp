// The order scenarios against the real component and rules: numbering, what one sample
// order writes, refused inserts, and EntrySample as a table's rule object.
#include "scenarios.h"

#include <gtest/gtest.h>

#include <cmath>

#include "automation/registry.h"
#include "automation/text.h"
#include "clock.h"
#include "demo_test_support.h"
#include "entry_sample.h"

namespace talmo_demo::testing {
namespace {

using automation::Variant;

class ScenariosTest : public LiveDemoTest {
 protected:
  void SetUp() override {
    LiveDemoTest::SetUp();
    ini_.emplace(DemoIni());
  }

  DemoScenarios Scenarios() {
    return DemoScenarios(Database(), *ini_, [] {});
  }

  // Inserts a bare sales header (no rules run).
  void InsertHeader(int16_t documentType, std::u16string_view number) {
    InTransaction([&] {
      LateObject headers = Table(36);
      headers.Put(u"Field", int32_t{1}, documentType);
      headers.Put(u"Field", int32_t{3}, number);
      ASSERT_TRUE(headers.Call(u"Insert", true).ToBoolean());
    });
  }
  void InsertCustomer(std::u16string_view number) {
    InTransaction([&] {
      LateObject customers = Table(18);
      customers.Put(u"Field", int32_t{1}, number);
      ASSERT_TRUE(customers.Call(u"Insert", true).ToBoolean());
    });
  }

  std::optional<talmo::clsIniFile> ini_;
};

TEST_F(ScenariosTest, FirstNumbersOfEmptyRanges) {
  DemoScenarios scenarios = Scenarios();
  EXPECT_EQ(scenarios.NextDocumentNo(u"OBJ?????", 1), u"OBJ00001");
  EXPECT_EQ(scenarios.NextCustomerNo(u"35??"), u"3501");
}

TEST_F(ScenariosTest, NextDocumentNoContinuesAfterTheLastOrderWithinThePattern) {
  InsertHeader(1, u"OBJ00007");
  InsertHeader(1, u"OBJ00041");
  InsertHeader(2, u"OBJ00090");  // an invoice: another document type
  InsertHeader(1, u"OBX00500");  // outside the pattern
  DemoScenarios scenarios = Scenarios();
  EXPECT_EQ(scenarios.NextDocumentNo(u"OBJ?????", 1), u"OBJ00042");
  EXPECT_EQ(scenarios.NextDocumentNo(u"OBJ?????", 2), u"OBJ00091");
  EXPECT_EQ(scenarios.NextDocumentNo(u"OBJ?????", 3), u"OBJ00001");
}

TEST_F(ScenariosTest, AfterTheLastCustomerOfTheRangeTheNumberBeyondIsReused) {
  InsertCustomer(u"3599");
  DemoScenarios scenarios = Scenarios();
  EXPECT_EQ(scenarios.NextCustomerNo(u"35??"), u"3600");
  InTransaction([&] { scenarios.CreateSampleOrder(); });
  InTransaction([&] { scenarios.CreateSampleOrder(); });
  // One new customer; both orders belong to it.
  EXPECT_EQ(DemoCustomers(), (std::vector<std::u16string>{u"3599", u"3600"}));
  for (std::u16string_view order : {u"OBJ00001", u"OBJ00002"}) {
    std::optional<LateObject> header = Record(36, {Variant(int16_t{1}), Variant(order)});
    ASSERT_TRUE(header.has_value());
    EXPECT_EQ(Field(*header, 2).ToString(), u"3600");
    EXPECT_EQ(LineNumbers(order).size(), 3u);
  }
}

TEST_F(ScenariosTest, SampleOrderWritesCustomerHeaderAndLines) {
  const double today = std::floor(NowDateSerial());
  DemoScenarios scenarios = Scenarios();
  InTransaction([&] { scenarios.CreateSampleOrder(); });
  const OrderHeaderData sample = SampleHeader();

  std::optional<LateObject> customer = Record(18, {Variant(u"3501")});
  ASSERT_TRUE(customer.has_value());
  EXPECT_EQ(Field(*customer, 2).ToString(), sample.name);
  EXPECT_EQ(Field(*customer, 5).ToString(), sample.address);
  EXPECT_EQ(Field(*customer, 7).ToString(), sample.city);
  EXPECT_EQ(Field(*customer, 8).ToString(), sample.contact);
  EXPECT_EQ(Field(*customer, 91).ToString(), sample.postCode);
  EXPECT_EQ(Field(*customer, 86).ToString(), sample.vatRegistrationNo);
  EXPECT_EQ(Field(*customer, 88).ToString(), u"NATIONAL");
  EXPECT_EQ(Field(*customer, 110).ToString(), u"NATIONAL");
  EXPECT_EQ(Field(*customer, 21).ToString(), u"DOMESTIC");

  std::optional<LateObject> header = Record(36, {Variant(int16_t{1}), Variant(u"OBJ00001")});
  ASSERT_TRUE(header.has_value());
  EXPECT_EQ(Field(*header, 2).ToString(), u"3501");
  EXPECT_EQ(Field(*header, 5).ToString(), sample.name);
  EXPECT_EQ(Field(*header, 7).ToString(), sample.address);
  EXPECT_EQ(Field(*header, 9).ToString(), sample.city);
  EXPECT_EQ(Field(*header, 10).ToString(), sample.contact);
  EXPECT_EQ(Field(*header, 85).ToString(), sample.postCode);
  EXPECT_EQ(Field(*header, 15).ToString(), sample.shipToAddress);
  EXPECT_EQ(Field(*header, 18).ToString(), sample.shipToContact);
  EXPECT_EQ(Field(*header, 91).ToString(), sample.shipToPostCode);
  EXPECT_EQ(Field(*header, 17).ToString(), kShipToCityText);
  EXPECT_EQ(Field(*header, 19).ToDate(), today);
  EXPECT_EQ(Field(*header, 21).ToDate(), today + 3);
  EXPECT_EQ(Field(*header, 24).ToDate(), 0);

  const std::u16string item = FirstItemNo();
  EXPECT_EQ(LineNumbers(u"OBJ00001"), (std::vector<int32_t>{20000, 30000, 40000}));
  for (int i = 1; i <= 3; ++i) {
    SCOPED_TRACE(::testing::Message() << "line " << i);
    std::optional<LateObject> line =
        Record(37, {Variant(int16_t{1}), Variant(u"OBJ00001"), Variant(int32_t{(i + 1) * 10000})});
    ASSERT_TRUE(line.has_value());
    EXPECT_EQ(Field(*line, 5).ToLong(), 2);
    EXPECT_EQ(Field(*line, 6).ToString(), item);
    EXPECT_EQ(Field(*line, 15).ToDouble(), i);
    // 136.20 including VAT: the unit price without VAT (2 decimals), the amount including
    // VAT as given and the amount without VAT that the rules derive from it (5 decimals).
    const double vat = Field(*line, 25).ToDouble();
    EXPECT_EQ(vat, 21);  // the first item is a STANDARD one of a NATIONAL customer
    const double factor = 1 + vat / 100;
    EXPECT_DOUBLE_EQ(Field(*line, 22).ToDouble(), automation::RoundHalfEven(136.2 / factor, 2));
    EXPECT_DOUBLE_EQ(Field(*line, 30).ToDouble(), 136.2 * i);
    EXPECT_DOUBLE_EQ(Field(*line, 29).ToDouble(), automation::RoundHalfEven(136.2 * i / factor, 5));
  }
  // The header's flow field sums the lines' amounts including VAT.
  header->Call(u"CalcFields", int32_t{61});
  EXPECT_DOUBLE_EQ(Field(*header, 61).ToDouble(), 136.2 * 6);
}

// Another program changes a VAT rate and an item, and takes an order number, between two
// orders: the next order, in a write transaction of its own, reads none of it older than its
// start.
TEST_F(ScenariosTest, AnotherProgramsChangesReachTheNextOrder) {
  DemoScenarios scenarios = Scenarios();
  InTransaction([&] { scenarios.CreateSampleOrder(); });
  const std::string item = automation::ToUtf8(FirstItemNo());
  OtherProgram("UPDATE c1_t325 SET f4 = 15 WHERE f1 = 'NATIONAL' AND f2 = 'STANDARD';"
               "UPDATE c1_t27 SET f3 = 'Changed elsewhere' WHERE f1 = '" + item + "';"
               "INSERT INTO c1_t36(f1, f3) VALUES(1, 'OBJ00005');");
  InTransaction([&] { scenarios.CreateSampleOrder(); });
  EXPECT_EQ(OrderNumbers(), (std::vector<std::u16string>{u"OBJ00001", u"OBJ00005", u"OBJ00006"}));
  std::optional<LateObject> line =
      Record(37, {Variant(int16_t{1}), Variant(u"OBJ00006"), Variant(int32_t{20000})});
  ASSERT_TRUE(line.has_value());
  EXPECT_EQ(Field(*line, 25).ToDouble(), 15);
  EXPECT_DOUBLE_EQ(Field(*line, 22).ToDouble(), automation::RoundHalfEven(136.2 / 1.15, 2));
  EXPECT_EQ(Field(*line, 11).ToString(), u"Changed elsewhere");
}

TEST_F(ScenariosTest, ARefusedHeaderFailsTheOrder) {
  DemoScenarios scenarios = Scenarios();
  InTransaction([&] { scenarios.CreateSampleOrder(); });
  SampleOrder again = scenarios.MakeSampleOrder();
  again.header.documentNo = u"OBJ00001";  // taken
  LateObject database = Database();
  database.Call(u"BWT");
  const automation::AutomationError error =
      ErrorOf([&] { scenarios.WriteOrder(again.header, again.lines); });
  database.Call(u"AWT");
  EXPECT_EQ(error.number(), 999);
  EXPECT_EQ(error.description(), u"Sales Header 1, OBJ00001 could not be inserted");
  EXPECT_EQ(error.source(), u"TalmoDemo");
  EXPECT_EQ(OrderNumbers(), (std::vector<std::u16string>{u"OBJ00001"}));
  EXPECT_EQ(DemoCustomers(), (std::vector<std::u16string>{u"3501"}));
}

TEST_F(ScenariosTest, ARefusedLineFailsTheOrder) {
  DemoScenarios scenarios = Scenarios();
  SampleOrder order = scenarios.MakeSampleOrder();
  order.lines[2].lineNo = order.lines[1].lineNo;
  const automation::AutomationError error =
      ErrorOf([&] { InTransaction([&] { scenarios.WriteOrder(order.header, order.lines); }); });
  EXPECT_EQ(error.number(), 999);
  EXPECT_EQ(error.description(), u"Sales Line 1, OBJ00001, 20000 could not be inserted");
}

TEST_F(ScenariosTest, EveryNonEmptyElementOfTheLineArrayIsWritten) {
  DemoScenarios scenarios = Scenarios();
  SampleOrder order = scenarios.MakeSampleOrder();
  ASSERT_EQ(order.lines.size(), 8u);  // bounds 0..7
  EXPECT_TRUE(order.lines[0].IsEmpty());
  EXPECT_TRUE(order.lines[4].IsEmpty());
  EXPECT_TRUE(order.lines[7].IsEmpty());
  // An element at the upper bound and one at index 0 are lines like any other.
  order.lines[7] = SampleLine(7, order.lines[1].no);
  order.lines[0] = SampleLine(0, order.lines[1].no);
  InTransaction([&] { scenarios.WriteOrder(order.header, order.lines); });
  EXPECT_EQ(LineNumbers(u"OBJ00001"), (std::vector<int32_t>{10000, 20000, 30000, 40000, 80000}));
}

// One line written through the price branches: which unit price and amount including VAT
// the line ends with (the item's VAT is 21 %).
struct PriceRow {
  const char* name;
  double quantity;
  int64_t unitPriceCents;
  bool priceIncludesVat;
  int64_t amountCents;
  double expectedUnitPrice;
  std::optional<double> expectedAmountIncludingVat;  // nullopt: whatever the rules computed
};

void PrintTo(const PriceRow& row, std::ostream* os) { *os << row.name; }

class LinePriceTest : public ScenariosTest, public ::testing::WithParamInterface<PriceRow> {};

TEST_P(LinePriceTest, EndsWithTheExpectedPrice) {
  const PriceRow& row = GetParam();
  DemoScenarios scenarios = Scenarios();
  SampleOrder order = scenarios.MakeSampleOrder();
  OrderLineData& line = order.lines[1];
  line.quantity = row.quantity;
  line.unitPrice = automation::Currency{row.unitPriceCents * 100};
  line.priceIncludesVat = row.priceIncludesVat;
  line.amount = automation::Currency{row.amountCents * 100};
  line.description = u"Dodávka na stavbu";
  order.lines.resize(2);
  InTransaction([&] { scenarios.WriteOrder(order.header, order.lines); });

  std::optional<LateObject> written =
      Record(37, {Variant(int16_t{1}), Variant(u"OBJ00001"), Variant(int32_t{20000})});
  ASSERT_TRUE(written.has_value());
  EXPECT_DOUBLE_EQ(Field(*written, 22).ToDouble(), row.expectedUnitPrice);
  if (row.expectedAmountIncludingVat) {
    EXPECT_DOUBLE_EQ(Field(*written, 30).ToDouble(), *row.expectedAmountIncludingVat);
  }
  EXPECT_EQ(Field(*written, 11).ToString(), u"Dodávka na stavbu");
}

INSTANTIATE_TEST_SUITE_P(
    Branches, LinePriceTest,
    ::testing::Values(
        // 121.00 including 21 % VAT is 100.00 without.
        PriceRow{"PriceIncludingVat", 2, 12100, true, 24200, 100, 242},
        PriceRow{"PriceWithoutVat", 2, 10000, false, 24200, 100, 242},
        // No unit price: it is derived from the amount per unit.
        PriceRow{"PriceFromTheAmount", 4, 0, true, 48400, 100, 484},
        // No amount: the unit price is cleared.
        PriceRow{"NoAmountClearsThePrice", 2, 12100, true, 0, 0, 0},
        // No quantity: the price is set and the amount left to the rules.
        PriceRow{"NoQuantityKeepsThePrice", 0, 12100, true, 24200, 100, std::nullopt}),
    [](const ::testing::TestParamInfo<PriceRow>& info) { return info.param.name; });

TEST_F(ScenariosTest, EntrySampleMakesValidationAPlainAssignment) {
  LateObject customers = Table(18);
  auto sample = automation::MakeRef<EntrySample>();
  customers.Put(u"EntryProcess", automation::Ref<automation::Dispatch>(sample));
  // Customer 18.2 through Validate: stored as given (the customer rules would also fill the
  // search name, 18.3).
  customers.Call(u"Validate", std::u16string(u"Name"), std::u16string(u"Nový zákazník"));
  EXPECT_EQ(Field(customers, 2).ToString(), u"Nový zákazník");
  EXPECT_EQ(Field(customers, 3).ToString(), u"");
  // The table lent itself as Rec for the call only.
  EXPECT_FALSE(sample->Rec());
  // The relation check of Validate still applies after the plain assignment.
  EXPECT_EQ(ErrorOf([&] {
              customers.Call(u"Validate", int32_t{21}, std::u16string(u"NOGROUP"));
            }).number(),
            999);
  EXPECT_EQ(Field(customers, 21).ToString(), u"NOGROUP");
}

TEST_F(ScenariosTest, EntrySampleWithoutRecRaises91) {
  auto sample = automation::MakeRef<EntrySample>();
  LateObject object(sample);
  EXPECT_EQ(ErrorOf([&] { object.Call(u"Validate", int32_t{2}, std::u16string(u"x")); }).number(),
            91);
}

}  // namespace
}  // namespace talmo_demo::testing
