// The record-rule framework on a live connection: attachment by AllocTable, release of a
// sales line with its look-up tables, the customer and sales header rules, and the
// Validate dispatch of Entry37 with its conversions.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "automation/dispatch.h"
#include "automation/text.h"
#include "rules/entry36.h"
#include "sales_document.h"
#include "session/db_client.h"

namespace talmo::testing {
namespace {

using automation::Dispatch;
using automation::Ref;
using automation::Variant;
using namespace sales;

struct AttachmentRow {
  const char* name;
  int32_t table;
  const char16_t* ruleClass;  // nullptr: no rule object
  friend void PrintTo(const AttachmentRow& row, std::ostream* out) { *out << row.name; }
};

class AttachmentTest : public RulesTest, public ::testing::WithParamInterface<AttachmentRow> {};

TEST_P(AttachmentTest, AllocTableAttachesTheRulesLinkedBackToTheTable) {
  auto table = Alloc(GetParam().table);
  Dispatch* rules = table->EntryProcess().get();
  if (GetParam().ruleClass == nullptr) {
    EXPECT_EQ(rules, nullptr);
    return;
  }
  ASSERT_NE(rules, nullptr);
  EXPECT_EQ(rules->ClassName(), GetParam().ruleClass);
  const Variant rec = automation::GetProperty(rules, automation::GetDispId(rules, u"Rec"));
  EXPECT_EQ(rec.ToObject().get(), table.get());
}

INSTANTIATE_TEST_SUITE_P(Rows, AttachmentTest,
                         ::testing::Values(AttachmentRow{"Customer", 18, u"Entry18"},
                                           AttachmentRow{"SalesHeader", 36, u"Entry36"},
                                           AttachmentRow{"SalesLine", 37, u"Entry37"},
                                           AttachmentRow{"Item", 27, nullptr}),
                         [](const auto& info) { return info.param.name; });

// Early-bound clients keep these ids; late-bound ones find the members by name.
TEST_F(RulesTest, Entry37MembersByNameAndId) {
  auto line = Alloc(37);
  Dispatch* rules = line->EntryProcess().get();
  const std::pair<const char16_t*, automation::DispId> members[] = {
      {u"Rec", 0x40030000},       {u"Validate", 0x6003000f},  {u"Field5", 0x6803000e},
      {u"Field6", 0x6803000d},    {u"Field15", 0x6803000c},   {u"Field17", 0x6803000b},
      {u"Field18", 0x6803000a},   {u"Field23", 0x68030009},   {u"Field26", 0x68030008},
      {u"Field27", 0x68030007},   {u"Field29", 0x68030006},   {u"Field30", 0x68030005},
      {u"Field57", 0x68030004},   {u"Field59", 0x68030003},   {u"Field90", 0x68030002},
      {u"Field5407", 0x68030001}, {u"Field5495", 0x68030000}, {u"IniZbývajícíČástku", 0x60030014}};
  for (const auto& [name, id] : members) {
    EXPECT_EQ(rules->GetIDsOfNames(name), id) << automation::ToUtf8(name);
  }
  EXPECT_EQ(ErrorOf([&] { automation::GetProperty(rules, 0x6803000c); }).number(),
            automation::error::kMemberNotFound)
      << "the field properties are write-only";
}

int32_t LastClientError() { return automation::GetProperty(DbClient(), 45).ToLong(); }

// Releasing the last reference to a sales line frees its handles and those of the header,
// item and currency tables its Entry37 allocated: no reference cycle keeps them.
TEST_F(RulesTest, ReleasedSalesLineFreesEveryHandleOfItsRules) {
  auto line = Alloc(37);
  const int32_t first = line->cfHTable();
  auto after = Alloc(4);
  const int32_t end = after->cfHTable();
  int openTables = 0;
  for (int32_t handle = first; handle < end; ++handle) {
    Variant probe(handle);
    automation::CallMethod(DbClient(), 14, Variant::ByRef(&probe));  // the table's name
    if (LastClientError() == 0) ++openTables;
  }
  EXPECT_EQ(openTables, 4) << "the line, its header, item and currency tables";

  line.reset();
  for (int32_t handle = first; handle < end; ++handle) {
    Variant probe(handle);
    automation::CallMethod(DbClient(), 16, Variant::ByRef(&probe));  // free a record
    EXPECT_NE(LastClientError(), 0) << "record handle " << handle << " still open";
    automation::CallMethod(DbClient(), 13, Variant(handle));  // close a table
    EXPECT_NE(LastClientError(), 0) << "table handle " << handle << " still open";
  }
}

class HeaderRulesTest : public SalesDocumentTest {
 protected:
  void SetUp() override {
    SalesDocumentTest::SetUp();
    header_ = Alloc(36);
    Put(*header_, 1, Variant(kOrder));
    Put(*header_, 3, Variant(u"T6-0002"));
    Put(*header_, 12, Variant(u"SHIP-1"));
    Put(*header_, 79, Variant(u"Old name"));
  }
};

TEST_F(HeaderRulesTest, CustomerIsCopiedIntoTheHeader) {
  Validate(*header_, 2, Variant(kCustomer));
  auto customer = ReadRecord(18, {Variant(kCustomer)});
  const std::pair<int32_t, int32_t> copied[] = {
      {79, 2}, {80, 4},  {81, 5},    {82, 6},    {83, 7},    {88, 91}, {89, 92}, {90, 35},
      {84, 8}, {74, 88}, {116, 110}, {114, 108}, {115, 109}, {70, 86}, {4, 1}};
  for (const auto& [headerField, customerField] : copied) {
    EXPECT_EQ(Text(*header_, headerField), Text(*customer, customerField)) << headerField;
  }
  EXPECT_EQ(Text(*header_, 12), u"");
}

TEST_F(HeaderRulesTest, BillToCustomerOfTheCustomerIsBilled) {
  InsertRecord(18,
               {{1, Variant(u"T6-BRANCH")}, {88, Variant(u"DOMESTIC")}, {45, Variant(kCustomer)}});
  auto& rules = dynamic_cast<Entry36&>(*header_->EntryProcess());
  rules.Field2(u"T6-BRANCH");
  EXPECT_EQ(Text(*header_, 2), u"T6-BRANCH");
  EXPECT_EQ(Text(*header_, 4), kCustomer);
}

TEST_F(HeaderRulesTest, EmptyCustomerOnlyEmptiesTheCustomer) {
  Validate(*header_, 2, Variant(kCustomer));
  Validate(*header_, 2, Variant(u""));
  EXPECT_EQ(Text(*header_, 2), u"");
  EXPECT_EQ(Text(*header_, 4), kCustomer);
  EXPECT_EQ(Text(*header_, 79), u"Kovárna Test");
}

TEST_F(HeaderRulesTest, RefusedCustomerLeavesOnlyTheNumberSet) {
  InsertRecord(18, {{1, Variant(u"T6-BLOCKED")}, {88, Variant(u"DOMESTIC")}, {39, Variant(true)}});
  InsertRecord(18, {{1, Variant(u"T6-NOGROUP")}});
  for (const char16_t* refused : {u"T6-BLOCKED", u"T6-NOGROUP"}) {
    EXPECT_EQ(ErrorOf([&] { Validate(*header_, 2, Variant(refused)); }).number(), 998);
    EXPECT_EQ(Text(*header_, 2), refused);
    EXPECT_EQ(Text(*header_, 79), u"Old name");
  }
  EXPECT_EQ(ErrorOf([&] { Validate(*header_, 2, Variant(u"T6-NONE")); }).number(), 999);
}

TEST_F(RulesTest, CustomerRulesOnlyAssign) {
  auto customer = Alloc(18);
  for (const auto& [field, value] : {FieldValue{2, Variant(u"Nový")}, FieldValue{26, Variant(7)},
                                     FieldValue{5, Variant(u"x")}}) {
    customer->Validate(Variant(field), &value);
    EXPECT_TRUE(automation::Equals(customer->Field(Variant(field)), value)) << field;
  }
  EXPECT_EQ(Text(*customer, 1), u"");
}

struct ConversionRow {
  const char* name;
  int32_t field;
  Variant value;
  int32_t error;
  friend void PrintTo(const ConversionRow& row, std::ostream* out) { *out << row.name; }
};

class ConversionTest : public SalesDocumentTest,
                       public ::testing::WithParamInterface<ConversionRow> {};

TEST_P(ConversionTest, ValueThatDoesNotConvertChangesNothing) {
  auto line = ItemLine(3, 10);
  const double before = Number(*line, GetParam().field);
  EXPECT_EQ(ErrorOf([&] { Validate(*line, GetParam().field, GetParam().value); }).number(),
            GetParam().error);
  EXPECT_DOUBLE_EQ(Number(*line, GetParam().field), before);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ConversionTest,
    ::testing::Values(ConversionRow{"TypeFromText", 5, Variant(u"abc"), 13},
                      ConversionRow{"TypeOutOfRange", 5, Variant(40000), 6},
                      ConversionRow{"QuantityToShipFromText", 18, Variant(u"x"), 13},
                      ConversionRow{"DiscountOutOfCurrencyRange", 26, Variant(1e20), 6},
                      ConversionRow{"QuantityFromNull", 15, Variant::Null(), 94}),
    [](const auto& info) { return info.param.name; });

TEST_F(SalesDocumentTest, FieldWithoutRuleIsOnlyAssignedEvenByName) {
  auto line = ItemLine(3, 10);
  const Variant value(u"Poznámka");
  RulesOf(*line).Validate(Variant(u"Description 2"), &value);
  EXPECT_EQ(Text(*line, 12), u"Poznámka");
  EXPECT_DOUBLE_EQ(Number(*line, 29), 30);
}

TEST_F(SalesDocumentTest, ValidateWithoutValueRerunsTheRuleOnTheBuffer) {
  auto line = ItemLine(3, 10);
  Put(*line, 15, Variant(2.0));  // no rule yet
  RulesOf(*line).Validate(Variant(15));
  EXPECT_DOUBLE_EQ(Number(*line, 29), 20);
  Put(*line, 11, Variant(u"changed"));
  line->Validate(Variant(6));  // the number rule again, through the table
  EXPECT_EQ(Text(*line, 11), u"Šroub M6");
  EXPECT_DOUBLE_EQ(Number(*line, 15), 2);
}

// A rule object that a client attached by hand, without Rec: Table.Validate lends the table
// for the call. The rule object it replaced keeps its own link to the table.
TEST_F(SalesDocumentTest, TableLendsItselfToRulesWithoutRec) {
  auto line = ItemLine(3, 10);
  const Ref<Dispatch> replaced = line->EntryProcess();
  auto rules = automation::MakeRef<Entry37>();
  line->SetEntryProcess(rules);
  Validate(*line, 15, Variant(2.0));
  EXPECT_DOUBLE_EQ(Number(*line, 29), 20);
  EXPECT_EQ(rules->Rec(), nullptr) << "lent for the call only";
  Table* lineTable = line.get();
  line.reset();
  EXPECT_EQ(dynamic_cast<Entry37&>(*replaced).Rec().get(), lineTable);
  EXPECT_EQ(Text(*lineTable, 3), kDocumentNo);
}

}  // namespace
}  // namespace talmo::testing
