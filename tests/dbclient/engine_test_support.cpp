#include "engine_test_support.h"

#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <map>
#include <utility>

#include "engine/text_util.h"
#include "test_server.h"

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

TestStore::TestStore(Backend backend, const Schema& schema) : backend_(backend) {
  if (backend == Backend::kFile) {
    folder_ = std::make_unique<TempFolder>();
    file_ = folder_->File("test.db");
    EXPECT_TRUE(IsOk(Database::Create(file_, schema)));
    return;
  }
  const talmo::testing::TestServer& server = talmo::testing::Server();
  login_.address.host = server.host;
  login_.address.port = server.port;
  login_.database = talmo::testing::NewDatabaseName();
  login_.user = server.user;
  login_.password = server.password;
  EXPECT_TRUE(IsOk(Database::CreateOnServer(login_, schema)));
}

TestStore::~TestStore() {
  if (backend_ == Backend::kServer) {
    talmo::testing::AdminQuery("postgres",
                               "DROP DATABASE IF EXISTS " + login_.database + " WITH (FORCE)");
  }
}

Status TestStore::Open(const Schema& schema, const OpenOptions& options,
                       std::unique_ptr<Database>* out) {
  Status status = backend_ == Backend::kFile ? Database::Open(file_, options, schema, out)
                                             : Database::Connect(login_, options, schema, out);
  if (status.ok()) status = (*out)->Login(u"", u"");
  std::vector<std::u16string> companies;
  if (status.ok()) status = (*out)->Companies(&companies);
  if (status.ok() && !companies.empty()) status = (*out)->OpenCompany(u"CRONUS");
  return status;
}

std::unique_ptr<Database> TestStore::CreateAndOpen(const OpenOptions& options) {
  std::unique_ptr<Database> db;
  EXPECT_TRUE(IsOk(Open(TestSchema(), options, &db)));
  if (db == nullptr) return db;
  EXPECT_TRUE(IsOk(db->CreateCompany(u"CRONUS")));
  EXPECT_TRUE(IsOk(db->OpenCompany(u"CRONUS")));
  return db->companyOpen() ? std::move(db) : nullptr;
}

namespace {

std::vector<std::string> DumpFile(const std::string& file) {
  sqlite3* db = nullptr;
  std::vector<std::string> lines;
  if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    sqlite3_close_v2(db);
    ADD_FAILURE() << "cannot open " << file;
    return lines;
  }
  std::vector<std::string> tables;
  sqlite3_stmt* statement = nullptr;
  sqlite3_prepare_v2(db, "SELECT name, sql FROM sqlite_master ORDER BY name", -1, &statement,
                     nullptr);
  while (sqlite3_step(statement) == SQLITE_ROW) {
    const auto* name = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
    const auto* sql = reinterpret_cast<const char*>(sqlite3_column_text(statement, 1));
    lines.push_back(std::string("schema ") + name + ": " + (sql ? sql : ""));
    if (sql != nullptr && std::string(sql).rfind("CREATE TABLE", 0) == 0) tables.push_back(name);
  }
  sqlite3_finalize(statement);
  for (const std::string& table : tables) {
    sqlite3_prepare_v2(db, ("SELECT * FROM " + table).c_str(), -1, &statement, nullptr);
    std::vector<std::string> rows;
    while (sqlite3_step(statement) == SQLITE_ROW) {
      std::string row = table + ":";
      for (int c = 0; c < sqlite3_column_count(statement); ++c) {
        char buffer[64];
        switch (sqlite3_column_type(statement, c)) {
          case SQLITE_INTEGER:
            row += " i" + std::to_string(sqlite3_column_int64(statement, c));
            break;
          case SQLITE_FLOAT:
            std::snprintf(buffer, sizeof buffer, " r%a", sqlite3_column_double(statement, c));
            row += buffer;
            break;
          case SQLITE_NULL:
            row += " null";
            break;
          default: {
            const auto* data = static_cast<const char*>(sqlite3_column_blob(statement, c));
            const auto size = static_cast<size_t>(sqlite3_column_bytes(statement, c));
            row += " '" + (data == nullptr ? std::string() : std::string(data, size)) + "'";
          }
        }
      }
      rows.push_back(row);
    }
    sqlite3_finalize(statement);
    std::sort(rows.begin(), rows.end());
    lines.insert(lines.end(), rows.begin(), rows.end());
  }
  sqlite3_close_v2(db);
  return lines;
}

// A server database as the lines of one query: every table's columns and rows, each row in
// its text form, sorted within its table. The rows of the data versions are left out: they
// count commits, which the tests compare data across.
std::vector<std::string> DumpServer(const std::string& database) {
  const std::string text = talmo::testing::AdminQuery(
      database,
      "SELECT coalesce(string_agg(line, E'\\n' ORDER BY line), '') FROM ("
      " SELECT 'schema ' || table_name || ': ' || string_agg(column_name || ' ' || data_type,"
      " ',' ORDER BY ordinal_position) AS line FROM information_schema.columns"
      " WHERE table_schema = 'public' GROUP BY table_name"
      " UNION ALL SELECT c.relname || ': ' || query_to_xml(format("
      " 'SELECT string_agg(t::text, %L ORDER BY t::text) AS r FROM %I t', '|', c.relname),"
      " false, true, '')::text"
      " FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace"
      " WHERE n.nspname = 'public' AND c.relkind = 'r' AND c.relname <> 'talmo_versions')"
      " AS dump");
  std::vector<std::string> lines;
  size_t start = 0;
  while (start <= text.size() && !text.empty()) {
    const size_t end = text.find('\n', start);
    lines.push_back(text.substr(start, end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return lines;
}

}  // namespace

std::vector<std::string> TestStore::Dump() const {
  return backend_ == Backend::kFile ? DumpFile(file_) : DumpServer(login_.database);
}

}  // namespace dbclient::testing
