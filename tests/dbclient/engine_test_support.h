// Shared pieces of the record-engine tests: a small schema of their own, temporary database
// files, and short helpers that turn a failed Status into a readable test failure.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "dbclient/engine.h"
#include "temp_folder.h"
#include "test_server.h"

namespace dbclient::testing {

// Tables of the test schema.
inline constexpr int32_t kCustomerTable = 1;  // Code key, flow fields over kEntryTable
inline constexpr int32_t kEntryTable = 2;     // Integer key, decimal amounts
inline constexpr int32_t kLineTable = 3;      // three-field key (Option, Code, Integer)

namespace customer {
inline constexpr int32_t kNo = 1;            // Code 20, key
inline constexpr int32_t kName = 2;          // Text 30
inline constexpr int32_t kCity = 3;          // Text 30
inline constexpr int32_t kBalance = 4;       // Decimal
inline constexpr int32_t kBlocked = 5;       // Boolean
inline constexpr int32_t kType = 6;          // Option " ,Person,Company"
inline constexpr int32_t kSince = 7;         // Date
inline constexpr int32_t kRank = 8;          // Integer
inline constexpr int32_t kPicture = 9;       // BLOB
inline constexpr int32_t kSales = 10;        // flow: sum of entry amounts
inline constexpr int32_t kEntries = 11;      // flow: count of entries
inline constexpr int32_t kDateFilter = 12;   // flow filter on the entries' posting date
inline constexpr int32_t kHasEntries = 13;   // flow: any entry
inline constexpr int32_t kQuantity = 14;     // flow: sum of entry quantities (Integer)
inline constexpr int32_t kCreditLimit = 15;  // Decimal with initial value 1000
}  // namespace customer

namespace entry {
inline constexpr int32_t kNo = 1;           // Integer, key
inline constexpr int32_t kCustomerNo = 2;   // Code 20
inline constexpr int32_t kAmount = 3;       // Decimal
inline constexpr int32_t kPostingDate = 4;  // Date
inline constexpr int32_t kQuantity = 5;     // Integer
}  // namespace entry

namespace line {
inline constexpr int32_t kDocType = 1;      // Option "Quote,Order,Invoice"
inline constexpr int32_t kDocNo = 2;        // Code 20
inline constexpr int32_t kLineNo = 3;       // Integer
inline constexpr int32_t kDescription = 4;  // Text 50
inline constexpr int32_t kAmount = 5;       // Decimal
inline constexpr int32_t kTime = 6;         // Time
}  // namespace line

// The test schema at `version` (1 or 2; version 2 adds a field, a key and a table, as an
// application upgrade would).
const Schema& TestSchema(int version = 1);

using talmo::testing::TempFolder;

// Creates a database with one company "CRONUS" and opens it logged in with the company open.
std::unique_ptr<Database> CreateAndOpen(const std::string& file, const Schema& schema,
                                        const OpenOptions& options = OpenOptions{});

using talmo::testing::Backend;
using talmo::testing::BackendName;
using talmo::testing::kBothBackends;

// A new, empty database of one test on a backend: a file in a temporary folder, or a
// database of its own on the test server, dropped when the object goes.
class TestStore {
 public:
  TestStore(Backend backend, const Schema& schema);
  ~TestStore();

  // Opens another connection, logged in, with the company "CRONUS" open when it exists.
  Status Open(const Schema& schema, const OpenOptions& options, std::unique_ptr<Database>* out);
  // Creates the company "CRONUS" and returns a connection with it open (nullptr and a test
  // failure when that fails).
  std::unique_ptr<Database> CreateAndOpen(const OpenOptions& options = OpenOptions{});

  // Every row of every table (catalogue included), read through a connection of its own, in
  // a fixed order: two equal dumps mean equal data.
  std::vector<std::string> Dump() const;

 private:
  Backend backend_;
  std::unique_ptr<TempFolder> folder_;
  std::string file_;
  ServerLogin login_;
};

// UTF-8 of a text, for failure messages.
std::string Utf8(std::u16string_view text);

// Status checks that print the code and message on failure.
::testing::AssertionResult IsOk(const Status& status);
::testing::AssertionResult HasCode(const Status& status, int32_t code);

// A record of `cursor`'s table with text/number inputs assigned; fails the test on errors.
Record MakeRecord(const Cursor& cursor, std::initializer_list<std::pair<int32_t, Input>> fields);

// A stand-alone field definition "F" of `type`, for value and filter tests.
FieldDef MakeField(FieldType type, int16_t length = 0, std::string options = "",
                   int32_t number = 1);

}  // namespace dbclient::testing
