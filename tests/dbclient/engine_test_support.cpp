#include "engine_test_support.h"

#include <unistd.h>

#include <atomic>
#include <map>
#include <utility>

#include "engine/text_util.h"

namespace dbclient::testing {

namespace {

FieldDef Field(int32_t number, std::string name, FieldType type, int16_t length = 0) {
  FieldDef field;
  field.number = number;
  field.name = std::move(name);
  field.type = type;
  field.length = length;
  return field;
}

FieldDef Flow(int32_t number, std::string name, FieldType type, FlowFieldDef::Method method,
              int32_t sourceField) {
  FieldDef field = Field(number, std::move(name), type);
  field.fieldClass = FieldClass::kFlowField;
  FlowFieldDef flow;
  flow.method = method;
  flow.sourceTable = kEntryTable;
  flow.sourceField = sourceField;
  flow.links = {{entry::kCustomerNo, customer::kNo}, {entry::kPostingDate, customer::kDateFilter}};
  field.flow = flow;
  return field;
}

Schema MakeSchema(int version) {
  TableDef customers;
  customers.number = kCustomerTable;
  customers.name = "Customer";
  FieldDef type = Field(customer::kType, "Type", FieldType::kOption);
  type.optionString = " ,Person,Company";
  FieldDef date_filter = Field(customer::kDateFilter, "Date Filter", FieldType::kDate);
  date_filter.fieldClass = FieldClass::kFlowFilter;
  FieldDef credit_limit = Field(customer::kCreditLimit, "Credit Limit", FieldType::kDecimal);
  credit_limit.initValue = "1000";
  customers.fields = {
      Field(customer::kNo, "No.", FieldType::kCode, 20),
      Field(customer::kName, "Name", FieldType::kText, 30),
      Field(customer::kCity, "City", FieldType::kText, 30),
      Field(customer::kBalance, "Balance", FieldType::kDecimal),
      Field(customer::kBlocked, "Blocked", FieldType::kBoolean),
      type,
      Field(customer::kSince, "Customer Since", FieldType::kDate),
      Field(customer::kRank, "Rank", FieldType::kInteger),
      Field(customer::kPicture, "Picture", FieldType::kBlob),
      Flow(customer::kSales, "Sales", FieldType::kDecimal, FlowFieldDef::Method::kSum,
           entry::kAmount),
      Flow(customer::kEntries, "No. of Entries", FieldType::kInteger, FlowFieldDef::Method::kCount,
           0),
      date_filter,
      Flow(customer::kHasEntries, "Has Entries", FieldType::kBoolean, FlowFieldDef::Method::kExist,
           0),
      Flow(customer::kQuantity, "Quantity", FieldType::kDecimal, FlowFieldDef::Method::kSum,
           entry::kQuantity),
  };
  if (version >= 2) customers.fields.push_back(credit_limit);
  customers.keys = {KeyDef{{customer::kNo}}, KeyDef{{customer::kCity, customer::kName}},
                    KeyDef{{customer::kRank}}};
  if (version >= 2) customers.keys.push_back(KeyDef{{customer::kBalance}});

  TableDef entries;
  entries.number = kEntryTable;
  entries.name = "Entry";
  FieldDef customer_no = Field(entry::kCustomerNo, "Customer No.", FieldType::kCode, 20);
  customer_no.relatedTable = kCustomerTable;
  entries.fields = {Field(entry::kNo, "Entry No.", FieldType::kInteger), customer_no,
                    Field(entry::kAmount, "Amount", FieldType::kDecimal),
                    Field(entry::kPostingDate, "Posting Date", FieldType::kDate),
                    Field(entry::kQuantity, "Quantity", FieldType::kInteger)};
  entries.keys = {KeyDef{{entry::kNo}}, KeyDef{{entry::kCustomerNo, entry::kPostingDate}}};

  TableDef lines;
  lines.number = kLineTable;
  lines.name = "Document Line";
  FieldDef doc_type = Field(line::kDocType, "Document Type", FieldType::kOption);
  doc_type.optionString = "Quote,Order,Invoice";
  lines.fields = {doc_type,
                  Field(line::kDocNo, "Document No.", FieldType::kCode, 20),
                  Field(line::kLineNo, "Line No.", FieldType::kInteger),
                  Field(line::kDescription, "Description", FieldType::kText, 50),
                  Field(line::kAmount, "Amount", FieldType::kDecimal),
                  Field(line::kTime, "Time", FieldType::kTime)};
  lines.keys = {KeyDef{{line::kDocType, line::kDocNo, line::kLineNo}},
                KeyDef{{line::kDescription}}};

  std::vector<TableDef> tables = {customers, entries, lines};
  if (version >= 2) {
    TableDef notes;
    notes.number = 4;
    notes.name = "Note";
    notes.fields = {Field(1, "No.", FieldType::kInteger), Field(2, "Text", FieldType::kText, 80)};
    notes.keys = {KeyDef{{1}}};
    tables.push_back(notes);
  }
  return Schema(version, std::move(tables));
}

}  // namespace

const Schema& TestSchema(int version) {
  static const Schema first = MakeSchema(1);
  static const Schema second = MakeSchema(2);
  return version >= 2 ? second : first;
}

std::string Utf8(std::u16string_view text) { return text::ToUtf8(text); }

::testing::AssertionResult IsOk(const Status& status) {
  if (status.ok()) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "status " << status.module() << "." << status.number() << ": " << status.ToString();
}

::testing::AssertionResult HasCode(const Status& status, int32_t code) {
  if (status.code() == code) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "expected " << code / 65536 << "." << code % 65536 << ", got " << status.module() << "."
         << status.number() << " (" << status.ToString() << ")";
}

std::unique_ptr<Database> CreateAndOpen(const std::string& file, const Schema& schema,
                                        const OpenOptions& options) {
  std::unique_ptr<Database> db;
  EXPECT_TRUE(IsOk(Database::Create(file, schema)));
  EXPECT_TRUE(IsOk(Database::Open(file, options, schema, &db)));
  if (db == nullptr) return db;
  EXPECT_TRUE(IsOk(db->CreateCompany(u"CRONUS")));
  EXPECT_TRUE(IsOk(db->Login(u"", u"")));
  EXPECT_TRUE(IsOk(db->OpenCompany(u"CRONUS")));
  return db;
}

Record MakeRecord(const Cursor& cursor, std::initializer_list<std::pair<int32_t, Input>> fields) {
  Record rec = cursor.NewRecord();
  for (const auto& [field, input] : fields) {
    EXPECT_TRUE(IsOk(rec.Set(field, input))) << "field " << field;
  }
  return rec;
}

FieldDef MakeField(FieldType type, int16_t length, std::string options, int32_t number) {
  FieldDef field;
  field.number = number;
  field.name = "F";
  field.type = type;
  field.length = length;
  field.optionString = std::move(options);
  return field;
}

}  // namespace dbclient::testing
