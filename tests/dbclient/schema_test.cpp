// The application schema: consistent in itself, and holding every table and field the record
// rules and the demo use, with types that let their copies and look-ups work.
#include "dbclient/schema.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "dbclient/record.h"
#include "dbclient/value.h"

namespace dbclient {
namespace {

const Schema& App() { return ApplicationSchema(); }

std::string Where(const TableDef& table, const FieldDef* field = nullptr) {
  std::string where = std::to_string(table.number) + " " + table.name;
  if (field != nullptr) where += ", field " + std::to_string(field->number) + " " + field->name;
  return where;
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return text;
}

// ---- the model ---------------------------------------------------------------------------

TableDef MakeTable(int32_t number, std::string name, std::vector<int32_t> fieldNumbers) {
  TableDef table;
  table.number = number;
  table.name = std::move(name);
  for (int32_t n : fieldNumbers) {
    FieldDef field;
    field.number = n;
    field.name = "Field " + std::to_string(n);
    table.fields.push_back(field);
  }
  table.keys.push_back(KeyDef{{fieldNumbers.front()}});
  return table;
}

TEST(SchemaModel, SortsTablesAndFieldsSoLookupsFindEveryOne) {
  // Table 40 holds numbers on both sides of the largest one looked up in a table of positions.
  Schema schema(7,
                {MakeTable(30, "Third", {5, 1, 3}), MakeTable(10, "First", {2, 1}),
                 MakeTable(20, "Second", {9}), MakeTable(40, "Fourth", {50060, 1, 32767, 32768})});
  EXPECT_EQ(schema.version(), 7);
  ASSERT_EQ(schema.tables().size(), 4u);
  EXPECT_EQ(schema.tables()[0].number, 10);
  EXPECT_EQ(schema.tables()[2].number, 30);
  for (int32_t tableNo : {10, 20, 30, 40}) {
    const TableDef* table = schema.FindTable(tableNo);
    ASSERT_NE(table, nullptr) << tableNo;
    for (const FieldDef& field : table->fields) {
      EXPECT_EQ(table->FindField(field.number), &field);
      EXPECT_EQ(table->FindField(field.name), &field);
    }
  }
  EXPECT_EQ(schema.FindTable(30)->fields.front().number, 1);
  EXPECT_EQ(schema.FindTable(15), nullptr);
  EXPECT_EQ(schema.FindTable(31), nullptr);
  EXPECT_EQ(schema.FindTable(30)->FindField(2), nullptr);
  EXPECT_EQ(schema.FindTable(30)->FindField(6), nullptr);
  for (int32_t absent : {-1, 2, 32766, 40000, 50061}) {
    EXPECT_EQ(schema.FindTable(40)->FindField(absent), nullptr) << absent;
  }
}

TEST(SchemaModel, NamesMatchWithoutRegardToLetterCaseButOtherwiseExactly) {
  EXPECT_EQ(App().FindTable("sales line"), App().FindTable(37));
  EXPECT_EQ(App().FindTable("SALES HEADER"), App().FindTable(36));
  EXPECT_EQ(App().FindTable("Sales Lin"), nullptr);
  EXPECT_EQ(App().FindTable("Sales Lines"), nullptr);
  EXPECT_EQ(App().FindTable(""), nullptr);
  const TableDef& line = *App().FindTable(37);
  EXPECT_EQ(line.FindField("unit price"), line.FindField(22));
  EXPECT_EQ(line.FindField("QTY. PER UNIT OF MEASURE"), line.FindField(5404));
  EXPECT_EQ(line.FindField("Unit Pric"), nullptr);
}

// ---- consistency of the application schema ---------------------------------------------

TEST(ApplicationSchema, TableAndFieldNumbersAndNamesAreUnique) {
  EXPECT_GT(App().version(), 0);
  std::set<int32_t> tableNumbers;
  std::set<std::string> tableNames;
  for (const TableDef& table : App().tables()) {
    EXPECT_GT(table.number, 0);
    EXPECT_NE(table.number, kFieldTableNo) << "the field-description table is the client's own";
    EXPECT_TRUE(tableNumbers.insert(table.number).second) << Where(table);
    EXPECT_TRUE(tableNames.insert(Lower(table.name)).second) << Where(table);
    EXPECT_FALSE(table.fields.empty()) << Where(table);
    std::set<int32_t> fieldNumbers;
    std::set<std::string> fieldNames;
    for (const FieldDef& field : table.fields) {
      EXPECT_GT(field.number, 0) << Where(table, &field);
      EXPECT_FALSE(field.name.empty()) << Where(table, &field);
      EXPECT_TRUE(fieldNumbers.insert(field.number).second) << Where(table, &field);
      EXPECT_TRUE(fieldNames.insert(Lower(field.name)).second) << Where(table, &field);
    }
  }
}

TEST(ApplicationSchema, KeysAreMadeOfStoredFieldsWithoutRepeats) {
  for (const TableDef& table : App().tables()) {
    ASSERT_FALSE(table.keys.empty()) << Where(table);
    for (const KeyDef& key : table.keys) {
      EXPECT_FALSE(key.fields.empty()) << Where(table);
      std::set<int32_t> seen;
      for (int32_t fieldNo : key.fields) {
        const FieldDef* field = table.FindField(fieldNo);
        ASSERT_NE(field, nullptr) << Where(table) << ": key field " << fieldNo;
        EXPECT_EQ(field->fieldClass, FieldClass::kNormal) << Where(table, field);
        EXPECT_NE(field->type, FieldType::kBlob) << Where(table, field);
        EXPECT_TRUE(seen.insert(fieldNo).second) << Where(table, field) << " repeated in a key";
      }
    }
    for (size_t i = 0; i < table.keys.size(); ++i) {
      for (size_t j = i + 1; j < table.keys.size(); ++j) {
        EXPECT_NE(table.keys[i].fields, table.keys[j].fields) << Where(table) << ": same key";
      }
    }
  }
}

TEST(ApplicationSchema, LengthsOptionsAndInitialValuesFitTheirTypes) {
  for (const TableDef& table : App().tables()) {
    for (const FieldDef& field : table.fields) {
      const bool textual = field.type == FieldType::kText || field.type == FieldType::kCode;
      if (textual) {
        EXPECT_GE(field.length, 1) << Where(table, &field);
        EXPECT_LE(field.length, 250) << Where(table, &field);
      } else {
        EXPECT_EQ(field.length, 0) << Where(table, &field);
      }
      EXPECT_EQ(field.type == FieldType::kOption, !field.optionString.empty())
          << Where(table, &field);
      if (!field.initValue.empty()) {
        EXPECT_EQ(field.fieldClass, FieldClass::kNormal) << Where(table, &field);
        const std::u16string text(field.initValue.begin(), field.initValue.end());
        Value converted;
        EXPECT_TRUE(ConvertInput(field, std::u16string_view(text), &converted).ok())
            << Where(table, &field) << " initial value " << field.initValue;
        EXPECT_FALSE(converted.IsInitial()) << Where(table, &field) << ": a blank initial value";
      }
    }
  }
}

// The relation check looks the value up as the only key value of the related table, so a
// related table must have a one-field primary key that can hold every value of the field.
TEST(ApplicationSchema, RelationsPointAtOneFieldKeysThatCanHoldTheValue) {
  int relations = 0;
  for (const TableDef& table : App().tables()) {
    for (const FieldDef& field : table.fields) {
      if (field.relatedTable == 0) continue;
      ++relations;
      const TableDef* related = App().FindTable(field.relatedTable);
      ASSERT_NE(related, nullptr) << Where(table, &field) << " -> " << field.relatedTable;
      ASSERT_EQ(related->PrimaryKey().fields.size(), 1u) << Where(table, &field);
      const FieldDef& key = *related->FindField(related->PrimaryKey().fields.front());
      EXPECT_EQ(field.type, key.type) << Where(table, &field) << " -> " << Where(*related, &key);
      EXPECT_LE(field.length, key.length)
          << Where(table, &field) << " -> " << Where(*related, &key);
      EXPECT_EQ(field.fieldClass, FieldClass::kNormal) << Where(table, &field);
    }
  }
  EXPECT_GT(relations, 20);
}

TEST(ApplicationSchema, FlowFieldsSumExistingFieldsOverMatchingLinks) {
  int flowFields = 0;
  for (const TableDef& table : App().tables()) {
    for (const FieldDef& field : table.fields) {
      EXPECT_EQ(field.fieldClass == FieldClass::kFlowField, field.flow.has_value())
          << Where(table, &field);
      if (!field.flow) continue;
      ++flowFields;
      const FlowFieldDef& flow = *field.flow;
      const TableDef* source = App().FindTable(flow.sourceTable);
      ASSERT_NE(source, nullptr) << Where(table, &field);
      if (flow.method == FlowFieldDef::Method::kSum) {
        EXPECT_EQ(field.type, FieldType::kDecimal) << Where(table, &field);
        const FieldDef* summed = source->FindField(flow.sourceField);
        ASSERT_NE(summed, nullptr) << Where(table, &field);
        EXPECT_EQ(summed->type, FieldType::kDecimal) << Where(table, &field);
        EXPECT_EQ(summed->fieldClass, FieldClass::kNormal) << Where(table, &field);
      }
      EXPECT_FALSE(flow.links.empty()) << Where(table, &field);
      for (const FlowFieldDef::Link& link : flow.links) {
        const FieldDef* theirs = source->FindField(link.sourceField);
        const FieldDef* ours = table.FindField(link.ownField);
        ASSERT_NE(theirs, nullptr) << Where(table, &field);
        ASSERT_NE(ours, nullptr) << Where(table, &field);
        EXPECT_EQ(theirs->type, ours->type) << Where(table, &field);
        EXPECT_EQ(theirs->fieldClass, FieldClass::kNormal) << Where(table, &field);
      }
    }
  }
  EXPECT_GE(flowFields, 3);
}

// ---- what the rules and the demo use ----------------------------------------------------

struct Use {
  int32_t field;
  FieldType type;
};

struct TableUse {
  const char* name;
  int32_t table;
  std::vector<Use> fields;
};

constexpr FieldType kText = FieldType::kText, kCode = FieldType::kCode, kDate = FieldType::kDate,
                    kBool = FieldType::kBoolean, kInt = FieldType::kInteger,
                    kOption = FieldType::kOption, kDec = FieldType::kDecimal;

void PrintTo(const TableUse& use, std::ostream* os) { *os << use.name; }

class FieldsInUse : public testing::TestWithParam<TableUse> {};

TEST_P(FieldsInUse, ExistWithTheTypeTheirUseNeeds) {
  const TableUse& use = GetParam();
  const TableDef* table = App().FindTable(use.table);
  ASSERT_NE(table, nullptr) << use.table;
  for (const Use& u : use.fields) {
    const FieldDef* field = table->FindField(u.field);
    ASSERT_NE(field, nullptr) << use.name << " field " << u.field;
    EXPECT_EQ(field->type, u.type) << Where(*table, field);
  }
}

INSTANTIATE_TEST_SUITE_P(
    ApplicationSchema, FieldsInUse,
    testing::Values(
        TableUse{"Currency", 4, {{1, kCode}, {13, kDec}, {14, kDec}}},
        TableUse{"StandardText", 7, {{1, kCode}, {2, kText}}},
        TableUse{"GLAccount",
                 15,
                 {{1, kCode},
                  {2, kText},
                  {4, kOption},
                  {13, kBool},
                  {14, kBool},
                  {45, kCode},
                  {56, kCode},
                  {58, kCode}}},
        TableUse{"Customer",
                 18,
                 {{1, kCode},
                  {2, kText},
                  {4, kText},
                  {5, kText},
                  {6, kText},
                  {7, kText},
                  {8, kText},
                  {21, kCode},
                  {26, kInt},
                  {35, kCode},
                  {39, kBool},
                  {45, kCode},
                  {86, kText},
                  {88, kCode},
                  {91, kCode},
                  {92, kText},
                  {108, kCode},
                  {109, kBool},
                  {110, kCode}}},
        TableUse{"Item",
                 27,
                 {{1, kCode},
                  {3, kText},
                  {5, kText},
                  {11, kCode},
                  {13, kCode},
                  {15, kBool},
                  {22, kDec},
                  {41, kDec},
                  {42, kDec},
                  {43, kDec},
                  {44, kDec},
                  {54, kBool},
                  {91, kCode},
                  {98, kCode},
                  {99, kCode},
                  {5425, kCode},
                  {50060, kDec}}},
        TableUse{"LineDiscount", 29, {{1, kCode}, {3, kDec}, {4, kDec}}},
        TableUse{"ItemLedgerEntry", 32, {{1, kInt}, {2, kCode}, {8, kCode}, {12, kDec}}},
        TableUse{
            "SalesHeader",
            36,
            {{1, kOption}, {2, kCode},   {3, kCode},   {4, kCode},   {5, kText},   {6, kText},
             {7, kText},   {8, kText},   {9, kText},   {10, kText},  {12, kCode},  {13, kText},
             {14, kText},  {15, kText},  {16, kText},  {17, kText},  {18, kText},  {19, kDate},
             {21, kDate},  {24, kDate},  {28, kCode},  {29, kCode},  {30, kCode},  {32, kCode},
             {34, kCode},  {35, kBool},  {36, kBool},  {41, kCode},  {43, kCode},  {56, kCode},
             {60, kDec},   {61, kDec},   {70, kText},  {74, kCode},  {76, kCode},  {77, kCode},
             {79, kText},  {80, kText},  {81, kText},  {82, kText},  {83, kText},  {84, kText},
             {85, kCode},  {88, kCode},  {89, kText},  {90, kCode},  {91, kCode},  {97, kCode},
             {101, kCode}, {102, kCode}, {114, kCode}, {115, kBool}, {116, kCode}, {119, kDec}}},
        TableUse{
            "SalesLine",
            37,
            {{1, kOption},  {2, kCode},    {3, kCode},    {4, kInt},    {5, kOption}, {6, kCode},
             {7, kCode},    {8, kCode},    {9, kCode},    {10, kDate},  {11, kText},  {12, kText},
             {13, kText},   {15, kDec},    {16, kDec},    {17, kDec},   {18, kDec},   {22, kDec},
             {23, kDec},    {25, kDec},    {26, kDec},    {27, kDec},   {28, kDec},   {29, kDec},
             {30, kDec},    {32, kBool},   {34, kDec},    {35, kDec},   {36, kDec},   {37, kDec},
             {40, kCode},   {41, kCode},   {42, kCode},   {43, kBool},  {45, kCode},  {55, kDec},
             {57, kDec},    {58, kDec},    {59, kDec},    {60, kDec},   {61, kDec},   {63, kCode},
             {68, kCode},   {69, kDec},    {71, kCode},   {72, kInt},   {74, kCode},  {75, kCode},
             {77, kOption}, {78, kCode},   {79, kCode},   {81, kCode},  {82, kCode},  {83, kCode},
             {85, kCode},   {86, kBool},   {87, kCode},   {89, kCode},  {90, kCode},  {91, kCode},
             {92, kDec},    {93, kDec},    {95, kDec},    {99, kDec},   {100, kDec},  {101, kBool},
             {5404, kDec},  {5405, kBool}, {5407, kCode}, {5415, kDec}, {5416, kDec}, {5417, kDec},
             {5418, kDec},  {5458, kDec},  {5460, kDec},  {5461, kDec}, {5495, kDec}}},
        TableUse{"Resource",
                 156,
                 {{1, kCode},
                  {3, kText},
                  {18, kCode},
                  {21, kDec},
                  {38, kBool},
                  {51, kCode},
                  {57, kCode},
                  {58, kCode}}},
        TableUse{"UnitOfMeasure", 204, {{1, kCode}, {2, kText}}},
        TableUse{"SalesSetup", 311, {{1, kCode}, {3, kOption}}},
        TableUse{"VatProductPostingGroup", 324, {{1, kCode}}},
        TableUse{
            "VatPostingSetup", 325, {{1, kCode}, {2, kCode}, {3, kOption}, {4, kDec}, {7, kCode}}},
        TableUse{"UnitOfMeasureTranslation", 5402, {{1, kCode}, {2, kCode}, {3, kText}}}),
    [](const testing::TestParamInfo<TableUse>& info) { return std::string(info.param.name); });

// A value moved from one field into another (a copy, or a key look-up with the value) must fit:
// the same type (a code may go into a text), never longer than the receiving field, and for
// options the same captions.
struct Move {
  int32_t to;
  int32_t from;
};

struct Moves {
  const char* name;
  int32_t toTable;
  int32_t fromTable;
  std::vector<Move> fields;
};

void PrintTo(const Moves& moves, std::ostream* os) { *os << moves.name; }

class ValuesMovedBetweenTables : public testing::TestWithParam<Moves> {};

TEST_P(ValuesMovedBetweenTables, FitTheReceivingField) {
  const Moves& moves = GetParam();
  const TableDef* to = App().FindTable(moves.toTable);
  const TableDef* from = App().FindTable(moves.fromTable);
  ASSERT_NE(to, nullptr);
  ASSERT_NE(from, nullptr);
  for (const Move& move : moves.fields) {
    const FieldDef* target = to->FindField(move.to);
    const FieldDef* source = from->FindField(move.from);
    ASSERT_NE(target, nullptr) << moves.name << ": field " << move.to;
    ASSERT_NE(source, nullptr) << moves.name << ": field " << move.from;
    const std::string what = Where(*from, source) + " into " + Where(*to, target);
    const bool codeIntoText = source->type == FieldType::kCode && target->type == FieldType::kText;
    EXPECT_TRUE(source->type == target->type || codeIntoText) << what;
    EXPECT_GE(target->length, source->length) << what;
    EXPECT_EQ(target->optionString, source->optionString) << what;
  }
}

INSTANTIATE_TEST_SUITE_P(
    ApplicationSchema, ValuesMovedBetweenTables,
    testing::Values(
        Moves{"HeaderFromCustomer",
              36,
              18,
              {{2, 1},
               {4, 1},
               {4, 45},
               {79, 2},
               {80, 4},
               {81, 5},
               {82, 6},
               {83, 7},
               {88, 91},
               {89, 92},
               {90, 35},
               {84, 8},
               {74, 88},
               {116, 110},
               {114, 108},
               {115, 109},
               {70, 86}}},
        Moves{"LineFromHeader", 37, 36, {{1, 1},   {3, 3},    {2, 2},    {91, 32},  {10, 21},
                                         {40, 29}, {41, 30},  {45, 56},  {7, 28},   {42, 34},
                                         {78, 76}, {79, 77},  {68, 4},   {74, 74},  {89, 116},
                                         {81, 97}, {82, 101}, {83, 102}, {85, 114}, {86, 115}}},
        Moves{"LineFromStandardText", 37, 7, {{6, 1}, {11, 2}}},
        Moves{"LineFromAccount", 37, 15, {{6, 1}, {11, 2}, {75, 45}, {90, 58}, {87, 56}}},
        Moves{"LineFromItem",
              37,
              27,
              {{6, 1},
               {8, 11},
               {9, 13},
               {11, 3},
               {12, 5},
               {23, 22},
               {32, 15},
               {34, 41},
               {35, 42},
               {36, 43},
               {37, 44},
               {75, 91},
               {90, 99},
               {87, 98},
               {5407, 5425}}},
        Moves{"LineFromResource",
              37,
              156,
              {{6, 1}, {11, 3}, {5407, 18}, {23, 21}, {75, 51}, {90, 58}, {87, 57}}},
        Moves{"LineFromVatSetup", 37, 325, {{25, 4}, {77, 3}}},
        Moves{"LineFromUnitOfMeasure", 37, 204, {{13, 2}}},
        Moves{"LineFromUnitTranslation", 37, 5402, {{13, 3}}},
        Moves{"LineFromLineDiscount", 37, 29, {{26, 4}}},
        Moves{"CurrencyKeyFromHeader", 4, 36, {{1, 32}}},
        Moves{"TranslationKeyFromHeader", 5402, 36, {{2, 41}}},
        Moves{"ItemKeyFromLine", 27, 37, {{1, 6}}}, Moves{"UnitKeyFromLine", 204, 37, {{1, 5407}}},
        Moves{"TranslationKeyFromLine", 5402, 37, {{1, 5407}}},
        Moves{"VatGroupKeyFromLine", 324, 37, {{1, 90}}},
        Moves{"VatSetupKeyFromLine", 325, 37, {{1, 89}, {2, 90}}},
        Moves{"DiscountKeyFromLine", 29, 37, {{1, 9}}}),
    [](const testing::TestParamInfo<Moves>& info) { return std::string(info.param.name); });

TEST(ApplicationSchema, OptionCaptionsGiveTheValuesTheRulesTestFor) {
  const auto options = [](int32_t table, int32_t field) {
    return App().FindTable(table)->FindField(field)->optionString;
  };
  // Line types: 0 text, 1 account, 2 item, 3 resource.
  EXPECT_EQ(options(37, 5).rfind(" ,G/L Account,Item,Resource,", 0), 0u);
  // VAT calculation: 2 full VAT, 3 sales tax.
  EXPECT_EQ(options(325, 3), "Normal VAT,Reverse Charge VAT,Full VAT,Sales Tax");
  // Document type 1 is an order.
  EXPECT_EQ(options(36, 1).rfind("Quote,Order,", 0), 0u);
  // Account type 0 is a posting account.
  EXPECT_EQ(options(15, 4).rfind("Posting,", 0), 0u);
}

// The relation check of Table.Validate must not refuse what the rules and the demo validate.
TEST(ApplicationSchema, FieldsValidatedWithFreeValuesCarryNoRelation) {
  struct Free {
    int32_t table;
    int32_t field;
  };
  // 37.6 holds texts, accounts, items and resources alike; 37.5407 may name an unknown unit;
  // the demo validates document type, number, dates, type, quantity, price and amount.
  for (const Free& free : {Free{37, 6}, Free{37, 5407}, Free{37, 5}, Free{37, 15}, Free{37, 22},
                           Free{37, 30}, Free{36, 1}, Free{36, 3}, Free{36, 19}, Free{36, 24}}) {
    EXPECT_EQ(App().FindTable(free.table)->FindField(free.field)->relatedTable, 0)
        << free.table << "." << free.field;
  }
  EXPECT_EQ(App().FindTable(36)->FindField(2)->relatedTable, 18);
}

// The rules compute base quantities with the unit factor and refuse a factor of 0; item lines
// never look the factor up, so a new line must start with 1.
TEST(ApplicationSchema, NewSalesLinesStartWithUnitFactorOneAndDiscountsAllowed) {
  Record line(*App().FindTable(37));
  line.Init();
  EXPECT_EQ(line.Find(5404)->decimal(), 1.0);
  EXPECT_TRUE(line.Find(43)->boolean());
  EXPECT_TRUE(line.Find(32)->boolean());
  EXPECT_EQ(line.Find(15)->decimal(), 0.0);
  EXPECT_FALSE(line.Find(101)->boolean());
}

// Init skips a buffer that is still at its initial values; every way of changing one must
// make the next Init restore them.
TEST(ApplicationSchema, InitUndoesEveryKindOfChange) {
  const TableDef& lines = *App().FindTable(37);
  Record changed(lines);
  ASSERT_TRUE(changed.Set(11, Input(std::u16string_view(u"changed"))).ok());
  const std::vector<std::function<void(Record&)>> changes = {
      [](Record& r) { r.at(0) = Value::Integer(3); },
      [](Record& r) { ASSERT_TRUE(r.Set(5404, Input(2.0)).ok()); },
      [](Record& r) { ASSERT_TRUE(r.SetValue(43, Value::Boolean(false)).ok()); },
      [&](Record& r) { ASSERT_TRUE(r.CopyFrom(changed).ok()); },
      [&](Record& r) {
        Record other = changed;
        ASSERT_TRUE(r.SwapWith(other).ok());
      },
  };
  const Record fresh(lines);
  for (size_t i = 0; i < changes.size(); ++i) {
    Record line(lines);
    line.Init();
    changes[i](line);
    line.Init();
    ASSERT_EQ(line.size(), fresh.size()) << "change " << i;
    for (size_t f = 0; f < fresh.size(); ++f) {
      EXPECT_EQ(line.at(f).Compare(fresh.at(f)), 0) << "change " << i << ", field " << f;
    }
  }
}

TEST(ApplicationSchema, FlowFieldsTheDemoAndDocumentsReadSumTheRightFields) {
  const FieldDef& inventory = *App().FindTable(27)->FindField(50060);
  ASSERT_TRUE(inventory.flow.has_value());
  EXPECT_EQ(inventory.flow->method, FlowFieldDef::Method::kSum);
  EXPECT_EQ(inventory.flow->sourceTable, 32);
  EXPECT_EQ(inventory.flow->sourceField, 12);
  ASSERT_EQ(inventory.flow->links.size(), 1u);
  EXPECT_EQ(inventory.flow->links[0].sourceField, 2);
  EXPECT_EQ(inventory.flow->links[0].ownField, 1);
  for (auto [field, summed] : {std::pair{60, 29}, std::pair{61, 30}}) {
    const FieldDef& amount = *App().FindTable(36)->FindField(field);
    ASSERT_TRUE(amount.flow.has_value()) << field;
    EXPECT_EQ(amount.flow->sourceTable, 37);
    EXPECT_EQ(amount.flow->sourceField, summed);
    ASSERT_EQ(amount.flow->links.size(), 2u);
    EXPECT_EQ(amount.flow->links[0].sourceField, 1);
    EXPECT_EQ(amount.flow->links[0].ownField, 1);
    EXPECT_EQ(amount.flow->links[1].sourceField, 3);
    EXPECT_EQ(amount.flow->links[1].ownField, 3);
  }
}

}  // namespace
}  // namespace dbclient
