// Tables, record buffers and handles through the DbClient members: opening, searching,
// stepping, writing records, filters, ranges, keys, locks and write transactions.
#include <string>
#include <vector>

#include "binding_test_support.h"

namespace dbclient::binding_test {
namespace {

using automation::VariantArray;
using automation::VarType;

constexpr int32_t kNo = 1;          // Customer "No.", Code 20
constexpr int32_t kName = 2;        // Customer "Name", Text 50
constexpr int32_t kSearchName = 3;  // Customer "Search Name", Code 50, its own key
constexpr int32_t kCity = 7;        // Customer "City", Text 30

template <class Param>
class BindingRecordsTestWith : public ConnectedTestWith<Param> {
 protected:
  using Base = ConnectedTestWith<Param>;
  using Base::client_;
  using Base::Get;
  using Base::InsertRecord;
  using Base::Open;
  using Base::Set;
  using typename Base::Table;

  // Customers A, B and C, named so that the Search Name key orders them C, B, A.
  Table Customers() {
    const Table t = Open(kCustomer);
    InsertRecord(t,
                 {{kNo, Variant(u"A")}, {kName, Variant(u"Alpha")}, {kSearchName, Variant(u"3")}});
    InsertRecord(t,
                 {{kNo, Variant(u"B")}, {kName, Variant(u"Beta")}, {kSearchName, Variant(u"2")}});
    InsertRecord(t,
                 {{kNo, Variant(u"C")}, {kName, Variant(u"Gamma")}, {kSearchName, Variant(u"1")}});
    return t;
  }

  // Find with `method` from a buffer holding key `no`; returns the member's result.
  int32_t FindFrom(const Table& t, std::u16string no, std::u16string method) {
    Set(t, kNo, Variant(std::move(no)));
    Variant methodValue(std::move(method));
    return client_.Call(19, t.handle, t.record, Variant::ByRef(&methodValue)).ToLong();
  }

  std::u16string KeyOf(const Table& t) { return Get(t, kNo).ToString(); }
  int32_t Count(const Table& t) { return client_.Call(24, t.handle).ToLong(); }
};

using BindingRecordsTest = BindingRecordsTestWith<Backend>;

TEST_P(BindingRecordsTest, HandlesArePositiveAndDistinctAcrossKinds) {
  const Table customers = Open(kCustomer);
  const Table items = Open(kItem);
  const int32_t decimal = client_.Call(80).ToLong();
  const int32_t handles[] = {customers.handle, customers.record, items.handle, items.record,
                             decimal};
  for (size_t i = 0; i < std::size(handles); ++i) {
    EXPECT_GT(handles[i], 0);
    for (size_t j = 0; j < i; ++j) EXPECT_NE(handles[i], handles[j]);
  }
}

TEST_P(BindingRecordsTest, OpenTableWritesTheHandleIntoItsFirstArgument) {
  Variant handle(int32_t{0});
  const Variant result = client_.Call(47, Variant::ByRef(&handle), kCustomer);
  ASSERT_EQ(client_.LastError(), 0);
  EXPECT_GT(handle.ToLong(), 0);
  EXPECT_EQ(result.ToLong(), handle.ToLong());
  EXPECT_EQ(client_.Call(14, Variant::ByRef(&handle)).ToString(), u"Customer");
}

TEST_P(BindingRecordsTest, UnknownTableNumberLeavesTheHandleArgumentAlone) {
  Variant handle(int32_t{0});
  client_.Call(47, Variant::ByRef(&handle), int32_t{424242});
  EXPECT_EQ(client_.LastError(), errc::kUnknownTable);
  EXPECT_EQ(handle.ToLong(), 0);
}

TEST_P(BindingRecordsTest, TableNumberOfName) {
  EXPECT_EQ(client_.Call(12, u"Customer").ToLong(), kCustomer);
  EXPECT_EQ(client_.LastError(), 0);
  Variant name(u"sales header");
  EXPECT_EQ(client_.Call(12, Variant::ByRef(&name)).ToLong(), kSalesHeader);
  EXPECT_EQ(client_.Call(12, u"No Such Table").ToLong(), 0);
  EXPECT_EQ(client_.LastError(), errc::kUnknownTableName);
}

TEST_P(BindingRecordsTest, StaleAndUnknownHandlesAreClientErrors) {
  const Table t = Open(kCustomer);
  const Table other = Open(kCustomer);
  const int32_t decimal = client_.Call(80).ToLong();
  const int32_t liveDecimal = client_.Call(80).ToLong();
  client_.Call(16, t.record);
  ASSERT_EQ(client_.LastError(), 0);
  client_.Call(13, t.handle);
  ASSERT_EQ(client_.LastError(), 0);
  client_.Call(81, decimal);
  ASSERT_EQ(client_.LastError(), 0);

  struct Probe {
    const char* what;
    std::vector<Variant> args;
    automation::DispId member;
  };
  const Probe probes[] = {
      {"closed table: name", {t.handle}, 14},
      {"closed table: count", {t.handle}, 24},
      {"closed table: new buffer", {t.handle}, 15},
      {"closed table: key", {t.handle}, 51},
      {"closed table: filter", {t.handle, kName, u"A*"}, 44},
      {"closed table: close again", {t.handle}, 13},
      {"freed buffer: read", {other.handle, t.record, kNo}, 55},
      {"freed buffer: assign", {other.handle, t.record, kNo, u"X"}, 56},
      {"freed buffer: find", {other.handle, t.record, u"-"}, 19},
      {"freed buffer: insert", {other.handle, t.record}, 21},
      {"freed buffer: free again", {t.record}, 16},
      {"freed decimal: read", {decimal}, 88},
      {"freed decimal: set", {1.5, decimal}, 89},
      {"freed decimal: free again", {decimal}, 81},
      {"handle zero", {int32_t{0}}, 14},
      {"negative handle", {int32_t{-3}}, 24},
      {"decimal used as table", {liveDecimal}, 24},
      {"table used as buffer", {other.handle, other.handle, kNo}, 55},
  };
  for (const Probe& probe : probes) {
    std::vector<Variant> args = probe.args;
    Variant result;
    automation::InvokeOrThrow(client_.get(), probe.member, automation::InvokeKind::kMethod, args,
                              result);
    EXPECT_EQ(client_.LastError(), errc::kUnknownHandle) << probe.what;
  }
  // The live table still works.
  EXPECT_EQ(client_.Call(24, other.handle).ToLong(), 0);
  EXPECT_EQ(client_.LastError(), 0);
}

TEST_P(BindingRecordsTest, BufferOfAnotherTableIsRefused) {
  const Table customers = Open(kCustomer);
  const Table items = Open(kItem);
  client_.Call(55, customers.handle, items.record, kNo);
  EXPECT_EQ(client_.LastError(), errc::kWrongTable);
  client_.Call(21, customers.handle, items.record);
  EXPECT_EQ(client_.LastError(), errc::kWrongTable);
  client_.Call(17, customers.handle, customers.record, items.record);
  EXPECT_EQ(client_.LastError(), errc::kWrongTable);
  EXPECT_EQ(Count(customers), 0);
}

TEST_P(BindingRecordsTest, BuffersOfOneTableWorkWithEveryHandleOfIt) {
  const Table first = Open(kCustomer);
  const Table second = Open(kCustomer);
  Set(first, kNo, Variant(u"X1"));
  client_.Call(21, second.handle, first.record);
  EXPECT_EQ(client_.LastError(), 0);
  EXPECT_EQ(Count(second), 1);
}

TEST_P(BindingRecordsTest, DuplicateInsertAnswersZeroWithoutAnError) {
  const Table t = Customers();
  client_.Call(25, t.handle, t.record);
  Set(t, kNo, Variant(u"B"));
  Set(t, kName, Variant(u"Second Beta"));
  client_.Call(63);
  const Variant result = client_.Call(21, t.handle, t.record);
  EXPECT_EQ(result.ToLong(), 0);
  EXPECT_EQ(client_.LastError(), 0);
  EXPECT_EQ(Count(t), 3);
  ASSERT_EQ(FindFrom(t, u"B", u"="), -1);
  EXPECT_EQ(Get(t, kName).ToString(), u"Beta");
}

TEST_P(BindingRecordsTest, ModifyAndDeleteNeedAnExistingRecord) {
  const Table t = Customers();
  client_.Call(25, t.handle, t.record);
  Set(t, kNo, Variant(u"Z"));
  EXPECT_EQ(client_.Call(23, t.handle, t.record).ToLong(), 0);
  EXPECT_EQ(client_.LastError(), errc::kRecordNotFound);
  EXPECT_EQ(client_.Call(22, t.handle, t.record).ToLong(), 0);
  EXPECT_EQ(client_.LastError(), errc::kRecordNotFound);

  ASSERT_EQ(FindFrom(t, u"A", u"="), -1);
  Set(t, kName, Variant(u"Alpha Two"));
  EXPECT_EQ(client_.Call(23, t.handle, t.record).ToLong(), -1);
  EXPECT_EQ(client_.LastError(), 0);
  Set(t, kName, Variant(u"changed only in the buffer"));
  ASSERT_EQ(FindFrom(t, u"A", u"="), -1);
  EXPECT_EQ(Get(t, kName).ToString(), u"Alpha Two");

  EXPECT_EQ(client_.Call(22, t.handle, t.record).ToLong(), -1);
  EXPECT_EQ(client_.LastError(), 0);
  EXPECT_EQ(Count(t), 2);
  EXPECT_EQ(FindFrom(t, u"A", u"="), 0);
  EXPECT_EQ(client_.LastError(), errc::kRecordNotFound);
}

struct FindRow {
  const char* name;
  const char16_t* from;
  const char16_t* method;
  int32_t result;
  const char16_t* found;  // key in the buffer afterwards
  int32_t error;
};

class BindingFindTest : public BindingRecordsTestWith<std::tuple<Backend, FindRow>> {};

TEST_P(BindingFindTest, SearchMethods) {
  const FindRow& row = std::get<1>(GetParam());
  const Table t = Customers();
  EXPECT_EQ(FindFrom(t, row.from, row.method), row.result);
  EXPECT_EQ(client_.LastError(), row.error);
  EXPECT_EQ(KeyOf(t), row.found);
}

INSTANTIATE_TEST_SUITE_P(
    Methods, BindingFindTest,
    ::testing::Combine(kBothBackends, ::testing::Values(FindRow{"First", u"B", u"-", -1, u"A", 0},
                      FindRow{"Last", u"B", u"+", -1, u"C", 0},
                      FindRow{"Equal", u"B", u"=", -1, u"B", 0},
                      FindRow{"EqualMissing", u"BB", u"=", 0, u"BB", errc::kRecordNotFound},
                      FindRow{"Next", u"B", u">", -1, u"C", 0},
                      FindRow{"NextOfMissing", u"AA", u">", -1, u"B", 0},
                      FindRow{"Previous", u"B", u"<", -1, u"A", 0},
                      FindRow{"NothingAfterLast", u"C", u">", 0, u"C", errc::kNoRecordInFilter},
                      FindRow{"NothingBeforeFirst", u"A", u"<", 0, u"A", errc::kNoRecordInFilter},
                      FindRow{"EqualOrNextTakesEqual", u"B", u"=>", -1, u"B", 0},
                      FindRow{"EqualOrNextTakesNext", u"BB", u"=>", -1, u"C", 0},
                      FindRow{"AllThreeFallBackToPrevious", u"D", u"=><", -1, u"C", 0},
                      FindRow{"UnknownCharacter", u"B", u"x", 0, u"B", errc::kBadSearchMethod},
                      FindRow{"EmptyMethod", u"B", u"", 0, u"B", errc::kBadSearchMethod})),
    [](const auto& info) {
      return BackendName(std::get<0>(info.param)) + std::get<1>(info.param).name;
    });

TEST_P(BindingRecordsTest, FindOnAnEmptyTableReportsNoRecordInFilter) {
  const Table t = Open(kCustomer);
  EXPECT_EQ(client_.Call(19, t.handle, t.record, u"-").ToLong(), 0);
  EXPECT_EQ(client_.LastError(), errc::kNoRecordInFilter);
  EXPECT_EQ(client_.Call(19, t.handle, t.record, u"+").ToLong(), 0);
  EXPECT_EQ(client_.LastError(), errc::kNoRecordInFilter);
}

TEST_P(BindingRecordsTest, NextMovesBySixteenBitStepsAndReportsStepsMoved) {
  const Table t = Customers();
  ASSERT_EQ(FindFrom(t, u"A", u"="), -1);
  Variant step(int16_t{1});
  const Variant moved = client_.Call(20, t.handle, t.record, Variant::ByRef(&step));
  EXPECT_EQ(moved.type(), VarType::kInteger);
  EXPECT_EQ(moved.ToLong(), 1);
  EXPECT_EQ(KeyOf(t), u"B");
  EXPECT_EQ(client_.Call(20, t.handle, t.record, int16_t{5}).ToLong(), 1) << "only C is left";
  EXPECT_EQ(KeyOf(t), u"C");
  EXPECT_EQ(client_.Call(20, t.handle, t.record, int16_t{1}).ToLong(), 0);
  EXPECT_EQ(KeyOf(t), u"C");
  EXPECT_EQ(client_.Call(20, t.handle, t.record, int16_t{-2}).ToLong(), -2);
  EXPECT_EQ(KeyOf(t), u"A");
  client_.Call(20, t.handle, t.record, int32_t{70000});
  EXPECT_EQ(client_.LastError(), errc::kBadArgument) << "steps are 16-bit";
}

TEST_P(BindingRecordsTest, FiltersNarrowFindNextAndCount) {
  const Table t = Customers();
  Variant filter(u"B|C");
  client_.Call(44, t.handle, kNo, Variant::ByRef(&filter));
  ASSERT_EQ(client_.LastError(), 0);
  EXPECT_EQ(Count(t), 2);
  EXPECT_EQ(FindFrom(t, u"A", u"-"), -1);
  EXPECT_EQ(KeyOf(t), u"B");

  client_.Call(44, t.handle, kNo, u"(A");
  EXPECT_EQ(client_.LastError(), errc::kMalformedFilter);
  EXPECT_EQ(Count(t), 2) << "a malformed filter keeps the previous one";

  client_.Call(44, t.handle, kName, u"@gam*");
  ASSERT_EQ(client_.LastError(), 0);
  EXPECT_EQ(Count(t), 1);

  client_.Call(44, t.handle, kNo, u"");
  client_.Call(44, t.handle, kName, u"");
  EXPECT_EQ(Count(t), 3);

  client_.Call(44, t.handle, int32_t{9999}, u"A");
  EXPECT_NE(client_.LastError(), 0);
}

TEST_P(BindingRecordsTest, RangesTakeTwoValuesOrOne) {
  const Table t = Customers();
  Variant min(u"A");
  Variant max(u"B");
  client_.Call(50, t.handle, kNo, Variant::ByRef(&min), Variant::ByRef(&max));
  ASSERT_EQ(client_.LastError(), 0);
  EXPECT_EQ(Count(t), 2);
  client_.Call(50, t.handle, kNo, u"C", u"C");
  EXPECT_EQ(Count(t), 1);
  client_.Call(50, t.handle, kNo, u"B");
  EXPECT_EQ(Count(t), 1);
  EXPECT_EQ(FindFrom(t, u"A", u"+"), -1);
  EXPECT_EQ(KeyOf(t), u"B");
  client_.Call(44, t.handle, kNo, u"");
  EXPECT_EQ(Count(t), 3);
}

TEST_P(BindingRecordsTest, DeleteAllRemovesOnlyTheRecordsWithinTheFilters) {
  const Table t = Customers();
  client_.Call(44, t.handle, kNo, u"A|C");
  client_.Call(78, t.handle);
  EXPECT_EQ(client_.LastError(), 0);
  EXPECT_EQ(Count(t), 0);
  client_.Call(44, t.handle, kNo, u"");
  EXPECT_EQ(Count(t), 1);
  EXPECT_EQ(FindFrom(t, u"A", u"-"), -1);
  EXPECT_EQ(KeyOf(t), u"B");
}

std::vector<int32_t> KeyFields(const Variant& key) {
  std::vector<int32_t> fields;
  for (const Variant& item : key.ToArray().items()) {
    EXPECT_EQ(item.type(), VarType::kLong);
    fields.push_back(item.ToLong());
  }
  return fields;
}

TEST_P(BindingRecordsTest, CurrentKeyIsAZeroBasedArrayOfLong) {
  const Table t = Customers();
  const Variant key = client_.Call(51, t.handle);
  ASSERT_TRUE(key.IsArray());
  EXPECT_EQ(key.ToArray().LBound(), 0);
  EXPECT_EQ(KeyFields(key), std::vector<int32_t>{kNo});

  Variant wanted(VariantArray({Variant(kSearchName)}, 0));
  EXPECT_EQ(client_.Call(53, t.handle, Variant::ByRef(&wanted)).ToLong(), -1);
  EXPECT_EQ(client_.LastError(), 0);
  EXPECT_EQ(KeyFields(client_.Call(51, t.handle)).front(), kSearchName);
  EXPECT_EQ(FindFrom(t, u"", u"-"), -1);
  EXPECT_EQ(KeyOf(t), u"C") << "the Search Name key puts C first";

  EXPECT_EQ(client_.Call(53, t.handle, VariantArray({Variant(kName)}, 0)).ToLong(), 0);
  EXPECT_EQ(client_.LastError(), errc::kInvalidKey);
  EXPECT_EQ(KeyFields(client_.Call(51, t.handle)).front(), kSearchName) << "key kept";

  client_.Call(53, t.handle, VariantArray({Variant(u"x")}, 0));
  EXPECT_EQ(client_.LastError(), errc::kBadArgument);

  const Table fresh = Open(kCustomer);
  EXPECT_EQ(KeyFields(client_.Call(51, fresh.handle)), std::vector<int32_t>{kNo})
      << "each table handle has its own key";
}

// Closed tables and freed buffers are used again; whatever a handle left behind (a filter,
// another key, a record found) must not reach the next one.
TEST_P(BindingRecordsTest, TablesAndBuffersOpenedAgainStartAsNew) {
  Customers();
  for (int round = 0; round < 4; ++round) {
    const Table t = Open(kCustomer);
    EXPECT_EQ(Count(t), 3) << "round " << round;
    EXPECT_EQ(KeyFields(client_.Call(51, t.handle)), std::vector<int32_t>{kNo});
    EXPECT_EQ(Get(t, kName).ToString(), u"") << "round " << round;
    if (round % 2 == 0) {
      client_.Call(44, t.handle, kNo, u"B|C");
      Variant wanted(VariantArray({Variant(kSearchName)}, 0));
      client_.Call(53, t.handle, Variant::ByRef(&wanted));
    }
    ASSERT_EQ(FindFrom(t, u"", u"-"), -1);
    EXPECT_EQ(Get(t, kName).ToString(), round % 2 == 0 ? u"Gamma" : u"Alpha");
    client_.Call(16, t.record);
    client_.Call(13, t.handle);
    ASSERT_EQ(client_.LastError(), 0);
  }
}

TEST_P(BindingRecordsTest, CopyAndInitialiseBuffers) {
  const Table t = Customers();
  const int32_t other = client_.Call(15, t.handle).ToLong();
  ASSERT_EQ(FindFrom(t, u"B", u"="), -1);
  client_.Call(17, t.handle, other, t.record);
  ASSERT_EQ(client_.LastError(), 0);
  EXPECT_EQ(client_.Call(55, t.handle, other, kName).ToString(), u"Beta");
  client_.Call(25, t.handle, other);
  ASSERT_EQ(client_.LastError(), 0);
  EXPECT_EQ(client_.Call(55, t.handle, other, kName).ToString(), u"");
  EXPECT_EQ(client_.Call(55, t.handle, other, kNo).ToString(), u"");
  EXPECT_EQ(Get(t, kName).ToString(), u"Beta") << "the source is untouched";
}

TEST_P(BindingRecordsTest, BeforeInsertExistsAndChangesNothing) {
  const Table t = Customers();
  client_.Call(63);
  EXPECT_EQ(client_.LastError(), 0);
  EXPECT_EQ(Count(t), 3);
}

// 62 comes right before the key search of a look-up, whose caller checks the error without
// accepting "not found": that one search answers a miss with 0 alone.
TEST_P(BindingRecordsTest, BeforeLookupMakesOnlyTheNextSearchQuietAboutAMiss) {
  const Table t = Customers();
  const auto lookup = [&](const char16_t* no, const char16_t* method) {
    Set(t, kNo, Variant(no));
    client_.Call(62);
    return client_.Call(19, t.handle, t.record, method).ToLong();
  };
  EXPECT_EQ(lookup(u"Z", u"="), 0);
  EXPECT_EQ(client_.LastError(), 0);
  EXPECT_EQ(client_.Call(19, t.handle, t.record, u"=").ToLong(), 0);
  EXPECT_EQ(client_.LastError(), errc::kRecordNotFound) << "the next search reports again";

  EXPECT_EQ(lookup(u"B", u"="), -1);
  EXPECT_EQ(KeyOf(t), u"B");
  EXPECT_EQ(FindFrom(t, u"Z", u"="), 0);
  EXPECT_EQ(client_.LastError(), errc::kRecordNotFound) << "a found record ends it too";

  Set(t, kNo, Variant(u"Z"));
  client_.Call(62);
  client_.Call(24, t.handle);
  EXPECT_EQ(client_.Call(19, t.handle, t.record, u"=").ToLong(), 0);
  EXPECT_EQ(client_.LastError(), errc::kRecordNotFound) << "any other call in between ends it";

  EXPECT_EQ(lookup(u"B", u"x"), 0);
  EXPECT_EQ(client_.LastError(), errc::kBadSearchMethod) << "only a miss is quiet";
}

TEST_P(BindingRecordsTest, LockTableInsideAWriteTransaction) {
  const Table t = Open(kCustomer);
  client_.Call(36);
  client_.Call(43, t.handle, int32_t{-1});
  EXPECT_EQ(client_.LastError(), 0);
  client_.Call(43, t.handle, int32_t{0});
  EXPECT_EQ(client_.LastError(), 0);
  client_.Call(37);
  EXPECT_EQ(client_.LastError(), 0);
}

TEST_P(BindingRecordsTest, LockWithoutWaitingFailsAtOnceWhileAnotherSessionWrites) {
  Client other;
  ASSERT_EQ(ConnectOther(other), 0);
  other.Call(36);
  ASSERT_EQ(other.LastError(), 0);
  const Table t = Open(kCustomer);
  client_.Call(43, t.handle, int32_t{0});
  EXPECT_EQ(client_.LastError(), errc::kTableLocked);
  other.Call(38);
  client_.Call(43, t.handle, int32_t{0});
  EXPECT_EQ(client_.LastError(), 0);
}

TEST_P(BindingRecordsTest, RollbackRestoresTheDatabaseAndCommitKeepsIt) {
  const Table t = Customers();
  client_.Call(36);
  ASSERT_EQ(client_.LastError(), 0);
  InsertRecord(t, {{kNo, Variant(u"D")}});
  ASSERT_EQ(FindFrom(t, u"A", u"="), -1);
  client_.Call(22, t.handle, t.record);
  EXPECT_EQ(Count(t), 3);
  client_.Call(38);
  ASSERT_EQ(client_.LastError(), 0);
  EXPECT_EQ(Count(t), 3);
  EXPECT_EQ(FindFrom(t, u"A", u"="), -1) << "the deleted record is back";
  EXPECT_EQ(FindFrom(t, u"D", u"="), 0) << "the inserted record is gone";

  client_.Call(36);
  InsertRecord(t, {{kNo, Variant(u"E")}, {kCity, Variant(u"Brno")}});
  client_.Call(37);
  ASSERT_EQ(client_.LastError(), 0);

  Client reader;
  ASSERT_EQ(ConnectOther(reader), 0);
  reader.Call(35);
  const int32_t table = reader.OpenTable(kCustomer);
  EXPECT_EQ(reader.Call(24, table).ToLong(), 4);
}

TEST_P(BindingRecordsTest, TransactionCommandsOutOfPlaceAreErrors) {
  client_.Call(37);
  EXPECT_EQ(client_.LastError(), errc::kNoTransaction);
  client_.Call(38);
  EXPECT_EQ(client_.LastError(), errc::kNoTransaction);
  client_.Call(36);
  EXPECT_EQ(client_.LastError(), 0);
  client_.Call(36);
  EXPECT_EQ(client_.LastError(), errc::kTransactionActive);
  client_.Call(38);
  EXPECT_EQ(client_.LastError(), 0);
}

INSTANTIATE_TEST_SUITE_P(Backends, BindingRecordsTest, kBothBackends,
                         [](const auto& info) { return BackendName(info.param); });

}  // namespace
}  // namespace dbclient::binding_test
