#include "storage/postgres/schema.h"

#include "engine/text_util.h"
#include "error_codes.h"
#include "storage/catalogue.h"
#include "storage/sql_text.h"

namespace dbclient::postgres {
namespace {

using sql::kPostgresDialect;

// talmo_fold: the case-insensitive form that @ filters compare, letter for letter the
// client's own folding (a server's lower() follows its locale, which may differ).
std::string FoldFunctionText() {
  std::u16string upper, lower;
  for (char32_t c = 1; c < 0xD800; ++c) {
    const char16_t folded = text::ToLower(static_cast<char16_t>(c));
    if (folded != c) {
      upper += static_cast<char16_t>(c);
      lower += folded;
    }
  }
  return "CREATE OR REPLACE FUNCTION talmo_fold(text) RETURNS text LANGUAGE sql IMMUTABLE"
         " STRICT PARALLEL SAFE AS $fold$ SELECT translate($1, '" +
         text::ToUtf8(upper) + "', '" + text::ToUtf8(lower) + "') $fold$;";
}

// Records a table and its stored fields in the catalogue (again, when they changed).
std::string RecordTableText(const TableDef& table) {
  std::string text = "INSERT INTO talmo_tables(table_no, primary_key) VALUES(" +
                     std::to_string(table.number) + ",'" + sql::KeyText(table.PrimaryKey()) +
                     "') ON CONFLICT (table_no) DO UPDATE SET primary_key=excluded.primary_key;";
  std::string rows;
  for (const FieldDef& field : table.fields) {
    if (!sql::IsStored(field)) continue;
    rows += (rows.empty() ? "" : ",") + ("(" + std::to_string(table.number) + "," +
                                         std::to_string(field.number) + "," +
                                         std::to_string(static_cast<int>(field.type)) + ")");
  }
  return text + "INSERT INTO talmo_fields(table_no, field_no, type) VALUES" + rows +
         " ON CONFLICT (table_no, field_no) DO UPDATE SET type=excluded.type;";
}

std::string VersionText(int32_t version) {
  return "INSERT INTO talmo_meta(name, value) VALUES('schema_version','" +
         std::to_string(version) + "') ON CONFLICT (name) DO UPDATE SET value=excluded.value;";
}

// Data versions: one row per company table, raised by the trigger of every statement that
// changes the table (whoever runs it), once per transaction: `writer` holds the transaction
// that raised it last. Clients compare versions to learn which tables others changed; see
// TrackedTableText. talmo_one is what CheckedWrite checks the count with.
std::string DataVersionsText() {
  return "CREATE TABLE talmo_versions(company bigint, table_no integer,"
         " version bigint NOT NULL DEFAULT 0, writer bigint, PRIMARY KEY(company, table_no));"
         "CREATE OR REPLACE FUNCTION talmo_changed() RETURNS trigger LANGUAGE plpgsql AS $f$"
         " BEGIN UPDATE talmo_versions SET version = version + 1, writer = txid_current()"
         " WHERE company = TG_ARGV[0]::bigint AND table_no = TG_ARGV[1]::integer"
         " AND writer IS DISTINCT FROM txid_current(); RETURN NULL; END $f$;"
         "CREATE OR REPLACE FUNCTION talmo_one(changed bigint) RETURNS bigint LANGUAGE plpgsql"
         " AS $f$ BEGIN IF changed <> 1 THEN RAISE EXCEPTION"
         " 'a record is no longer as this transaction knew it' USING ERRCODE = '" +
         std::string(kWriteConflictState) + "'; END IF; RETURN changed; END $f$;";
}

// The version row and the trigger of a company table.
std::string TrackedTableText(const TableDef& table, int64_t company) {
  const std::string numbers = std::to_string(company) + "," + std::to_string(table.number);
  const std::string name = sql::TableName(company, table.number);
  return "INSERT INTO talmo_versions(company, table_no) VALUES(" + numbers +
         ") ON CONFLICT DO NOTHING;"
         "CREATE TRIGGER talmo_changed AFTER INSERT OR UPDATE OR DELETE OR TRUNCATE ON " +
         name + " FOR EACH STATEMENT EXECUTE FUNCTION talmo_changed(" + numbers + ");";
}

Status CreateTableText(const TableDef& table, int64_t company, std::string* out) {
  std::string text;
  Status status = sql::CreateTableText(kPostgresDialect, table, company, &text);
  if (!status.ok()) return status;
  *out += text + ";";
  for (const std::string& index : sql::CreateIndexTexts(table, company)) *out += index + ";";
  *out += TrackedTableText(table, company);
  return Status();
}

// Runs `text` as one transaction that holds the write lock.
Status RunLocked(Connection& connection, const std::string& text) {
  Status status = connection.Run("BEGIN; SELECT pg_advisory_xact_lock(" +
                                 std::string(kWriteLockKey) + ");" + text + "COMMIT;");
  if (!status.ok() && !connection.broken()) connection.Run("ROLLBACK");
  return status;
}

}  // namespace

std::string CheckedWrite(const std::string& statement) {
  return "WITH changed AS (" + statement + " RETURNING 1) SELECT talmo_one(count(*)) FROM changed";
}

Status WriteNewCatalogue(Connection& connection, const Schema& schema) {
  std::string text =
      "CREATE TABLE talmo_meta(name text PRIMARY KEY, value text NOT NULL);"
      "CREATE TABLE talmo_tables(table_no integer PRIMARY KEY, primary_key text NOT NULL);"
      "CREATE TABLE talmo_fields(table_no integer, field_no integer, type integer NOT NULL,"
      " PRIMARY KEY(table_no, field_no));"
      "CREATE TABLE talmo_companies(id bigint GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY,"
      " name text NOT NULL UNIQUE);"
      "INSERT INTO talmo_meta(name, value) VALUES('format','" +
      std::string(sql::kFormatMark) + "');" + VersionText(schema.version()) + FoldFunctionText() +
      DataVersionsText();
  for (const TableDef& table : schema.tables()) {
    if (sql::IsStoredTable(table)) text += RecordTableText(table);
  }
  return RunLocked(connection, text);
}

Status SynchroniseCatalogue(Connection& connection, const Schema& schema) {
  // One request reads the whole catalogue; a database without it is not one of ours.
  Result result;
  Status status = connection.Run(
      "SELECT 0, name, value, 0 FROM talmo_meta UNION ALL"
      " SELECT 1, table_no::text, primary_key, 0 FROM talmo_tables UNION ALL"
      " SELECT 2, table_no::text, field_no::text, type FROM talmo_fields UNION ALL"
      " SELECT 3, id::text, '', 0 FROM talmo_companies UNION ALL"
      " SELECT 4, coalesce(to_regclass('talmo_versions')::text, ''), '', 0",
      &result);
  if (!status.ok()) {
    return status.code() == errc::kStorageError
               ? Status::Error(errc::kNotADatabase, "no catalogue: " + status.detail())
               : status;
  }
  sql::StoredCatalogue stored;
  bool versioned = false;
  for (int row = 0; row < result.rows(); ++row) {
    const std::string_view second = result.Text(row, 1);
    const std::string third(result.Text(row, 2));
    switch (result.Integer(row, 0)) {
      case 0:
        if (second == "format") stored.format = third;
        if (second == "schema_version") stored.version = std::stoll(third);
        break;
      case 1:
        stored.primaryKeys[static_cast<int32_t>(result.Integer(row, 1))] = third;
        break;
      case 2:
        stored.fieldTypes[{static_cast<int32_t>(result.Integer(row, 1)),
                           static_cast<int32_t>(result.Integer(row, 2))}] =
            static_cast<int32_t>(result.Integer(row, 3));
        break;
      case 3:
        stored.companies.push_back(result.Integer(row, 1));
        break;
      default:
        versioned = !second.empty();
    }
  }
  sql::CatalogueUpgrade upgrade;
  status = sql::PlanUpgrade(stored, schema, &upgrade);
  if (!status.ok() || (!upgrade.needed && versioned)) return status;
  std::string text;
  if (!versioned) {  // written before tables had data versions
    text += DataVersionsText();
    for (const TableDef& table : schema.tables()) {
      if (!sql::IsStoredTable(table) || !stored.primaryKeys.contains(table.number)) continue;
      for (int64_t company : stored.companies) text += TrackedTableText(table, company);
    }
  }
  for (const TableDef* table : upgrade.newTables) {
    text += RecordTableText(*table);
    for (int64_t company : stored.companies) {
      status = CreateTableText(*table, company, &text);
      if (!status.ok()) return status;
    }
  }
  for (const auto& [table, index] : upgrade.newFields) {
    text += RecordTableText(*table);
    for (int64_t company : stored.companies) {
      text += "ALTER TABLE " + sql::TableName(company, table->number) + " ADD COLUMN " +
              sql::ColumnDefinition(kPostgresDialect, *table, index) + ";";
    }
  }
  // Keys added to existing tables become indexes.
  for (const TableDef& table : schema.tables()) {
    if (!sql::IsStoredTable(table)) continue;
    for (int64_t company : stored.companies) {
      for (const std::string& index : sql::CreateIndexTexts(table, company)) text += index + ";";
    }
  }
  return RunLocked(connection, text + VersionText(schema.version()));
}

Status CompanyTablesText(const Schema& schema, int64_t company, std::string* out) {
  out->clear();
  for (const TableDef& table : schema.tables()) {
    if (!sql::IsStoredTable(table)) continue;
    Status status = CreateTableText(table, company, out);
    if (!status.ok()) return status;
  }
  return Status();
}

}  // namespace dbclient::postgres
