// Temporary database files for the sample and tool tests, and reading whole tables.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "dbclient/engine.h"
#include "temp_folder.h"

namespace dbclient::testing_support {

using talmo::testing::TempFolder;

// The sample database the build made for the tests with talmo-dbtool (company "Talmo
// Sample"), copied into `folder` so that a test may change its copy. Returns the copy's path.
inline std::string CopyOfSampleFixture(const TempFolder& folder) {
  const std::string path = folder.File("sample.db");
  std::filesystem::copy_file(TALMO_SAMPLE_FIXTURE, path);
  return path;
}

inline std::unique_ptr<Database> OpenCompany(const std::string& path, std::u16string_view company) {
  std::unique_ptr<Database> db;
  if (!Database::Open(path, OpenOptions{}, ApplicationSchema(), &db).ok()) return nullptr;
  if (!db->Login(u"", u"").ok() || !db->OpenCompany(company).ok()) return nullptr;
  return db;
}

// Every record of a table in primary-key order.
inline std::vector<Record> ReadAll(Database& db, int32_t tableNo) {
  std::vector<Record> records;
  std::unique_ptr<Cursor> cursor;
  if (!db.OpenTable(tableNo, &cursor).ok()) return records;
  Record record = cursor->NewRecord();
  if (!cursor->Find(record, u"-").ok()) return records;
  int32_t moved = 1;
  while (moved == 1) {
    records.push_back(record);
    if (!cursor->Next(record, 1, &moved).ok()) break;
  }
  return records;
}

// Every table of the schema as text, one line per record, for comparing whole companies.
inline std::map<int32_t, std::vector<std::string>> Dump(Database& db) {
  std::map<int32_t, std::vector<std::string>> dump;
  for (const TableDef& table : db.schema().tables()) {
    for (const Record& record : ReadAll(db, table.number)) {
      std::string line;
      for (size_t i = 0; i < record.size(); ++i) line += record.at(i).DebugString() + "|";
      dump[table.number].push_back(line);
    }
  }
  return dump;
}

}  // namespace dbclient::testing_support
