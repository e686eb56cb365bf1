// Cursors over stored tables: keys, find methods, stepping, filters pushed down to storage,
// writes and flow fields.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/filter.h"
#include "engine_test_support.h"
#include "error_codes.h"

namespace dbclient {
namespace {

using namespace testing;

class CursorTest : public ::testing::TestWithParam<Backend> {
 protected:
  void SetUp() override {
    db_ = store_.CreateAndOpen();
    ASSERT_NE(db_, nullptr);
    ASSERT_TRUE(IsOk(db_->OpenTable(kCustomerTable, &customers_)));
    ASSERT_TRUE(IsOk(db_->OpenTable(kEntryTable, &entries_)));
    // Inserted out of key order on purpose.
    AddCustomer(u"C30", u"Novák", u"Praha", 30);
    AddCustomer(u"C10", u"Adams", u"Brno", 10);
    AddCustomer(u"C40", u"Čapek", u"Praha", 20);
    AddCustomer(u"C20", u"Baker", u"Brno", 20);
    AddCustomer(u"C50", u"adams", u"Ostrava", 50);
  }

  void AddCustomer(std::u16string_view no, std::u16string_view name, std::u16string_view city,
                   int64_t rank) {
    const Record rec = MakeRecord(*customers_, {{customer::kNo, no},
                                                {customer::kName, name},
                                                {customer::kCity, city},
                                                {customer::kRank, rank}});
    ASSERT_TRUE(IsOk(customers_->Insert(rec)));
  }

  void AddEntry(int64_t no, std::u16string_view customerNo, double amount, std::u16string_view date,
                int64_t quantity = 1) {
    const Record rec = MakeRecord(*entries_, {{entry::kNo, no},
                                              {entry::kCustomerNo, customerNo},
                                              {entry::kAmount, amount},
                                              {entry::kPostingDate, date},
                                              {entry::kQuantity, quantity}});
    ASSERT_TRUE(IsOk(entries_->Insert(rec)));
  }

  // Every customer number within the filters, first to last in the current key.
  std::vector<std::u16string> Scan(Cursor& cursor) {
    std::vector<std::u16string> numbers;
    Record rec = cursor.NewRecord();
    Status status = cursor.Find(rec, u"-");
    if (status.code() == errc::kNoRecordInFilter) return numbers;
    EXPECT_TRUE(IsOk(status));
    int32_t moved = 1;
    while (moved == 1) {
      numbers.push_back(rec.Find(customer::kNo)->text());
      EXPECT_TRUE(IsOk(cursor.Next(rec, 1, &moved)));
    }
    return numbers;
  }

  std::u16string NoOf(const Record& rec) { return rec.Find(customer::kNo)->text(); }

  TestStore store_{GetParam(), TestSchema()};
  std::unique_ptr<Database> db_;
  std::unique_ptr<Cursor> customers_;
  std::unique_ptr<Cursor> entries_;
};

using Numbers = std::vector<std::u16string>;

TEST_P(CursorTest, PrimaryKeyOrderAndEnds) {
  EXPECT_EQ(Scan(*customers_), (Numbers{u"C10", u"C20", u"C30", u"C40", u"C50"}));
  Record rec = customers_->NewRecord();
  ASSERT_TRUE(IsOk(customers_->Find(rec, u"+")));
  EXPECT_EQ(NoOf(rec), u"C50");
  EXPECT_EQ(rec.Find(customer::kName)->text(), u"adams");
  int32_t count = 0;
  ASSERT_TRUE(IsOk(customers_->Count(&count)));
  EXPECT_EQ(count, 5);
}

TEST_P(CursorTest, FindMethodsStartFromTheBuffersKey) {
  Record rec = MakeRecord(*customers_, {{customer::kNo, u"C25"}});
  EXPECT_TRUE(HasCode(customers_->Find(rec, u"="), errc::kRecordNotFound));
  EXPECT_EQ(NoOf(rec), u"C25") << "a miss leaves the buffer as it was";
  ASSERT_TRUE(IsOk(customers_->Find(rec, u">")));
  EXPECT_EQ(NoOf(rec), u"C30");
  ASSERT_TRUE(IsOk(customers_->Find(rec, u"=")));
  EXPECT_EQ(rec.Find(customer::kName)->text(), u"Novák");
  ASSERT_TRUE(IsOk(customers_->Find(rec, u"<")));
  EXPECT_EQ(NoOf(rec), u"C20");
  // Several characters try = first, then >, then <.
  ASSERT_TRUE(IsOk(customers_->Find(rec, u">=")));
  EXPECT_EQ(NoOf(rec), u"C20");
  ASSERT_TRUE(IsOk(rec.Set(customer::kNo, u"C55")));
  EXPECT_TRUE(HasCode(customers_->Find(rec, u"=>"), errc::kNoRecordInFilter));
  ASSERT_TRUE(IsOk(customers_->Find(rec, u"=><")));
  EXPECT_EQ(NoOf(rec), u"C50");
}

TEST_P(CursorTest, BadSearchMethodsNameTheMethod) {
  Record rec = customers_->NewRecord();
  for (std::u16string_view method : {u"", u"x", u"-+", u"=-", u"==*", u"+="}) {
    const Status status = customers_->Find(rec, method);
    EXPECT_TRUE(HasCode(status, errc::kBadSearchMethod));
    EXPECT_NE(status.ToString().find(Utf8(method)), std::string::npos) << status.ToString();
  }
}

TEST_P(CursorTest, NextMovesAsFarAsItCan) {
  Record rec = customers_->NewRecord();
  ASSERT_TRUE(IsOk(customers_->Find(rec, u"-")));
  int32_t moved = 0;
  ASSERT_TRUE(IsOk(customers_->Next(rec, 3, &moved)));
  EXPECT_EQ(moved, 3);
  EXPECT_EQ(NoOf(rec), u"C40");
  ASSERT_TRUE(IsOk(customers_->Next(rec, 5, &moved)));
  EXPECT_EQ(moved, 1) << "only one record follows";
  EXPECT_EQ(NoOf(rec), u"C50");
  ASSERT_TRUE(IsOk(customers_->Next(rec, 1, &moved)));
  EXPECT_EQ(moved, 0);
  EXPECT_EQ(NoOf(rec), u"C50");
  ASSERT_TRUE(IsOk(customers_->Next(rec, -2, &moved)));
  EXPECT_EQ(moved, -2);
  EXPECT_EQ(NoOf(rec), u"C30");
  ASSERT_TRUE(IsOk(customers_->Next(rec, -100, &moved)));
  EXPECT_EQ(moved, -2);
  EXPECT_EQ(NoOf(rec), u"C10");
  // From a key between records, without the record existing.
  ASSERT_TRUE(IsOk(rec.Set(customer::kNo, u"C35")));
  ASSERT_TRUE(IsOk(customers_->Next(rec, 1, &moved)));
  EXPECT_EQ(NoOf(rec), u"C40");
}

TEST_P(CursorTest, SecondaryKeysOrderByKeyThenPrimaryKey) {
  ASSERT_TRUE(IsOk(customers_->SetCurrentKey(std::vector<int32_t>{customer::kCity})));
  EXPECT_EQ(customers_->CurrentKey(), (std::vector<int32_t>{customer::kCity, customer::kName}));
  EXPECT_EQ(Scan(*customers_), (Numbers{u"C10", u"C20", u"C50", u"C30", u"C40"}));
  ASSERT_TRUE(IsOk(customers_->SetCurrentKey(std::vector<int32_t>{customer::kRank})));
  EXPECT_EQ(Scan(*customers_), (Numbers{u"C10", u"C20", u"C40", u"C30", u"C50"}));
  // Stepping back from the middle of equal ranks uses the primary key as tie-breaker.
  Record rec = MakeRecord(*customers_, {{customer::kNo, u"C40"}, {customer::kRank, int64_t{20}}});
  ASSERT_TRUE(IsOk(customers_->Find(rec, u"<")));
  EXPECT_EQ(NoOf(rec), u"C20");
}

TEST_P(CursorTest, OnlyDefinedKeysOrTheirPrefixes) {
  const std::vector<int32_t> before = customers_->CurrentKey();
  for (const std::vector<int32_t>& fields :
       {std::vector<int32_t>{}, std::vector<int32_t>{customer::kName},
        std::vector<int32_t>{customer::kCity, customer::kRank},
        std::vector<int32_t>{customer::kNo, customer::kName}, std::vector<int32_t>{99}}) {
    EXPECT_TRUE(HasCode(customers_->SetCurrentKey(fields), errc::kInvalidKey));
    EXPECT_EQ(customers_->CurrentKey(), before);
  }
}

TEST_P(CursorTest, FiltersAndRangesSelectInStorageAsInMemory) {
  struct Case {
    int32_t field;
    std::u16string expression;
  };
  const std::vector<Case> cases = {
      {customer::kCity, u"Praha"},      {customer::kCity, u"@praha|brno"},
      {customer::kName, u"*a*"},        {customer::kName, u"@ADAMS"},
      {customer::kName, u"<>@adams"},   {customer::kRank, u"10..25"},
      {customer::kRank, u">20|<=10"},   {customer::kNo, u"c2*|C4?"},
      {customer::kName, u"@č*"},        {customer::kRank, u"<>20&<>30"},
      {customer::kName, u"'Novák'|''"}, {customer::kCity, u"A..P"},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(IsOk(customers_->SetFilter(c.field, c.expression)));
    FieldFilter filter;
    ASSERT_TRUE(
        IsOk(FieldFilter::Parse(*customers_->table().FindField(c.field), c.expression, &filter)));
    Numbers expected;
    customers_->ClearFilters();
    Record rec = customers_->NewRecord();
    ASSERT_TRUE(IsOk(customers_->Find(rec, u"-")));
    int32_t moved = 1;
    while (moved == 1) {
      if (filter.Matches(*rec.Find(c.field))) expected.push_back(NoOf(rec));
      ASSERT_TRUE(IsOk(customers_->Next(rec, 1, &moved)));
    }
    ASSERT_TRUE(IsOk(customers_->SetFilter(c.field, c.expression)));
    EXPECT_EQ(Scan(*customers_), expected) << Utf8(c.expression);
    int32_t count = -1;
    ASSERT_TRUE(IsOk(customers_->Count(&count)));
    EXPECT_EQ(count, static_cast<int32_t>(expected.size()));
    ASSERT_TRUE(IsOk(customers_->SetFilter(c.field, u"")));
  }
  EXPECT_EQ(Scan(*customers_).size(), 5u) << "an empty expression removes the filter";
}

// Wildcard filters with a literal prefix read a key range in storage; texts at the edges of
// that range (the prefix itself, its last character one higher or lower, characters beyond
// U+FFFF and the highest one) must select as in memory.
TEST_P(CursorTest, WildcardPrefixesSelectInStorageAsInMemory) {
  const std::u16string names[] = {u"K",          u"K0",           u"K0a",       u"K/",
                                  u"K1",         u"K0\U0010FFFF", u"K\U0010FFFF", u"K\U0010FFFFx",
                                  u"\U0010FFFF", u"A\uFFFD",      u"A\uFFFDz",  u"A\uD7FF",
                                  u"A\uE000",    u"A\U0001F600",  u"A\U0001F601", u"Kz"};
  int number = 60;
  for (const std::u16string& name : names) {
    AddCustomer(u"C" + std::u16string(1, static_cast<char16_t>(u'0' + number / 10)) +
                    std::u16string(1, static_cast<char16_t>(u'0' + number % 10)),
                name, u"", 0);
    ++number;
  }
  for (const std::u16string expression :
       {u"K0*", u"K*", u"K?", u"K\U0010FFFF*", u"\U0010FFFF*", u"A\uD7FF*", u"A\xDC00*",
        u"A\U0001F600*", u"A\uFFFD?", u"K0*a", u"<>K0*"}) {
    FieldFilter filter;
    ASSERT_TRUE(IsOk(
        FieldFilter::Parse(*customers_->table().FindField(customer::kName), expression, &filter)));
    Numbers expected;
    for (const std::u16string& no : Scan(*customers_)) {
      Record rec = customers_->NewRecord();
      ASSERT_TRUE(rec.Set(customer::kNo, Input(std::u16string_view(no))).ok());
      ASSERT_TRUE(IsOk(customers_->Find(rec, u"=")));
      if (filter.Matches(*rec.Find(customer::kName))) expected.push_back(no);
    }
    ASSERT_TRUE(IsOk(customers_->SetFilter(customer::kName, expression)));
    EXPECT_EQ(Scan(*customers_), expected) << Utf8(expression);
    ASSERT_TRUE(IsOk(customers_->SetFilter(customer::kName, u"")));
  }
}

TEST_P(CursorTest, FiltersCombineAcrossFieldsAndReplacePerField) {
  ASSERT_TRUE(IsOk(customers_->SetFilter(customer::kCity, u"Praha|Brno")));
  ASSERT_TRUE(IsOk(customers_->SetRange(customer::kRank, int64_t{20}, int64_t{30})));
  EXPECT_EQ(Scan(*customers_), (Numbers{u"C20", u"C30", u"C40"}));
  // New bounds of the same range, set between two steps of a scan, hold from the next step.
  ASSERT_TRUE(IsOk(customers_->SetRange(customer::kRank, int64_t{10}, int64_t{30})));
  Record rec = customers_->NewRecord();
  int32_t moved = 0;
  ASSERT_TRUE(IsOk(customers_->Find(rec, u"-")));
  ASSERT_TRUE(IsOk(customers_->Next(rec, 1, &moved)));
  EXPECT_EQ(NoOf(rec), u"C20");
  ASSERT_TRUE(IsOk(customers_->SetRange(customer::kRank, int64_t{10}, int64_t{20})));
  ASSERT_TRUE(IsOk(customers_->Next(rec, 1, &moved)));
  EXPECT_EQ(NoOf(rec), u"C40");
  ASSERT_TRUE(IsOk(customers_->SetFilter(customer::kRank, u"10")));  // replaces the range
  EXPECT_EQ(Scan(*customers_), (Numbers{u"C10"}));
  ASSERT_TRUE(IsOk(rec.Set(customer::kNo, u"C30")));
  EXPECT_TRUE(HasCode(customers_->Find(rec, u"="), errc::kRecordNotFound))
      << "= honours the filters";
  EXPECT_TRUE(HasCode(customers_->SetFilter(customer::kRank, u"1..x"), errc::kBadNumber));
  EXPECT_EQ(Scan(*customers_), (Numbers{u"C10"})) << "a refused filter keeps the old one";
  EXPECT_TRUE(HasCode(customers_->SetFilter(customer::kSales, u">0"), errc::kFilterOnFlowField));
  EXPECT_TRUE(HasCode(customers_->SetFilter(77, u"1"), errc::kUnknownField));
}

// Filters at the language's limits run in storage, in every statement a cursor makes; one
// step beyond is refused when set, and the refused filter leaves the previous ones in place.
TEST_P(CursorTest, FiltersUpToTheLimitsRunAndBeyondAreRefused) {
  const auto expect_selects = [&](const Numbers& expected) {
    EXPECT_EQ(Scan(*customers_), expected);
    int32_t count = -1;
    ASSERT_TRUE(IsOk(customers_->Count(&count)));
    EXPECT_EQ(count, static_cast<int32_t>(expected.size()));
    Record rec = customers_->NewRecord();
    ASSERT_TRUE(IsOk(customers_->Find(rec, u"+")));
    EXPECT_EQ(NoOf(rec), expected.back());
    int32_t moved = 0;
    ASSERT_TRUE(IsOk(customers_->Next(rec, -1000, &moved)));
    EXPECT_EQ(moved, 1 - static_cast<int32_t>(expected.size()));
  };
  std::u16string alternatives = u"10|50";
  for (size_t i = 2; i < kMaxFilterValues; ++i) {
    alternatives += u'|';
    for (char digit : std::to_string(1000 + i)) alternatives += static_cast<char16_t>(digit);
  }
  ASSERT_TRUE(IsOk(customers_->SetFilter(customer::kRank, alternatives)));
  expect_selects({u"C10", u"C50"});
  EXPECT_TRUE(HasCode(customers_->SetFilter(customer::kCity, u"Brno"), errc::kTooManyFilterValues))
      << "the limit counts the values of every field's filter";
  ASSERT_TRUE(IsOk(customers_->SetRange(customer::kRank, int64_t{10}, int64_t{20})));
  ASSERT_TRUE(IsOk(customers_->SetFilter(customer::kCity, u"Brno")));
  expect_selects({u"C10", u"C20"});

  // Alternatives and conjunctions nested as deep as allowed: (99|20&(99|20&(...20))).
  std::u16string nested = u"20";
  for (int level = 0; level < kMaxFilterNesting; ++level) nested = u"(99|20&" + nested + u")";
  ASSERT_TRUE(IsOk(customers_->SetFilter(customer::kCity, u"")));
  ASSERT_TRUE(IsOk(customers_->SetFilter(customer::kRank, nested)));
  expect_selects({u"C20", u"C40"});
  for (size_t levels : {size_t{kMaxFilterNesting} + 1, size_t{10000}}) {
    const std::u16string deep = std::u16string(levels, u'(') + u"1" + std::u16string(levels, u')');
    EXPECT_TRUE(HasCode(customers_->SetFilter(customer::kRank, deep), errc::kFilterTooDeep))
        << levels;
  }
  expect_selects({u"C20", u"C40"});

  const std::u16string longest = u"A" + std::u16string(kMaxPatternLength - 2, u'*') + u"s";
  ASSERT_TRUE(IsOk(customers_->SetFilter(customer::kRank, u"")));
  ASSERT_TRUE(IsOk(customers_->SetFilter(customer::kName, longest)));
  expect_selects({u"C10"});
  EXPECT_TRUE(
      HasCode(customers_->SetFilter(customer::kName, longest + u"*"), errc::kPatternTooLong));
}

TEST_P(CursorTest, CursorsKeepTheirOwnKeysAndFilters) {
  std::unique_ptr<Cursor> other;
  ASSERT_TRUE(IsOk(db_->OpenTable(kCustomerTable, &other)));
  ASSERT_TRUE(IsOk(customers_->SetFilter(customer::kCity, u"Brno")));
  ASSERT_TRUE(IsOk(customers_->SetCurrentKey(std::vector<int32_t>{customer::kRank})));
  EXPECT_EQ(other->CurrentKey(), std::vector<int32_t>{customer::kNo});
  EXPECT_EQ(Scan(*other).size(), 5u);
  // A buffer filled through one cursor positions the other.
  Record rec = other->NewRecord();
  ASSERT_TRUE(IsOk(other->Find(rec, u"-")));
  int32_t moved = 0;
  ASSERT_TRUE(IsOk(customers_->Next(rec, 1, &moved)));
  EXPECT_EQ(NoOf(rec), u"C20");

  // Filters alike but for their values, stepped in turn: each cursor keeps its own values.
  ASSERT_TRUE(IsOk(customers_->SetCurrentKey(std::vector<int32_t>{customer::kNo})));
  ASSERT_TRUE(IsOk(other->SetFilter(customer::kCity, u"Praha")));
  Record brno = customers_->NewRecord(), praha = other->NewRecord();
  ASSERT_TRUE(IsOk(customers_->Find(brno, u"-")));
  ASSERT_TRUE(IsOk(other->Find(praha, u"-")));
  ASSERT_TRUE(IsOk(customers_->Next(brno, 1, &moved)));
  ASSERT_TRUE(IsOk(other->Next(praha, 1, &moved)));
  EXPECT_EQ(NoOf(brno) + u" " + NoOf(praha), u"C20 C40");
  int32_t brnoCount = 0, prahaCount = 0;
  ASSERT_TRUE(IsOk(customers_->Count(&brnoCount)));
  ASSERT_TRUE(IsOk(other->Count(&prahaCount)));
  EXPECT_EQ(brnoCount, 2);
  EXPECT_EQ(prahaCount, 2);
}

// Steps of one while the same connection writes between them, and two cursors stepping in
// turn over one query shape: each step starts from the buffer it is given, sees every write
// made before it and none of the other cursor's position.
TEST_P(CursorTest, StepsSeeWritesMadeBetweenThem) {
  // By rank within a range of numbers: storage may well sort the selected rows first.
  ASSERT_TRUE(IsOk(customers_->SetCurrentKey(std::vector<int32_t>{customer::kRank})));
  ASSERT_TRUE(IsOk(customers_->SetFilter(customer::kNo, u"C10..C45")));
  ASSERT_TRUE(IsOk(db_->BeginWrite()));
  Record rec = customers_->NewRecord();
  ASSERT_TRUE(IsOk(customers_->Find(rec, u"-")));
  int32_t moved = 0;
  ASSERT_TRUE(IsOk(customers_->Next(rec, 1, &moved)));
  EXPECT_EQ(NoOf(rec), u"C20");
  AddCustomer(u"C25", u"Inserted", u"Brno", 25);
  Record gone = MakeRecord(*customers_, {{customer::kNo, u"C30"}});
  ASSERT_TRUE(IsOk(customers_->Delete(gone)));
  std::vector<std::u16string> seen;
  while (IsOk(customers_->Next(rec, 1, &moved)) && moved == 1) seen.push_back(NoOf(rec));
  EXPECT_EQ(seen, (Numbers{u"C40", u"C25"}));
  ASSERT_TRUE(IsOk(db_->Commit()));
  customers_->ClearFilters();
  ASSERT_TRUE(IsOk(customers_->SetCurrentKey(std::vector<int32_t>{customer::kNo})));

  std::unique_ptr<Cursor> other;
  ASSERT_TRUE(IsOk(db_->OpenTable(kCustomerTable, &other)));
  Record mine = customers_->NewRecord(), theirs = other->NewRecord();
  ASSERT_TRUE(IsOk(customers_->Find(mine, u"-")));
  ASSERT_TRUE(IsOk(other->Find(theirs, u"+")));
  seen.clear();
  for (int i = 0; i < 2; ++i) {
    ASSERT_TRUE(IsOk(customers_->Next(mine, 1, &moved)));
    seen.push_back(NoOf(mine));
    ASSERT_TRUE(IsOk(other->Next(theirs, -1, &moved)));
    seen.push_back(NoOf(theirs));
  }
  EXPECT_EQ(seen, (Numbers{u"C20", u"C40", u"C25", u"C25"}));
}

// A step may leave a record's fields where storage found them until they are read. Whatever
// comes between, every field reads as the record was when stepped to.
TEST_P(CursorTest, SteppedRecordsReadWholeWhateverComesBetween) {
  const auto nameOf = [](const Record& rec) { return rec.Find(customer::kName)->text(); };
  Record rec = customers_->NewRecord();
  ASSERT_TRUE(IsOk(customers_->Find(rec, u"-")));
  int32_t moved = 0;
  // Only the key read on the way: past either end the buffer holds the whole last record.
  while (IsOk(customers_->Next(rec, 1, &moved)) && moved == 1) EXPECT_FALSE(NoOf(rec).empty());
  EXPECT_EQ(nameOf(rec), u"adams");
  EXPECT_EQ(rec.Find(customer::kCity)->text(), u"Ostrava");
  while (IsOk(customers_->Next(rec, -1, &moved)) && moved == -1) EXPECT_FALSE(NoOf(rec).empty());
  EXPECT_EQ(nameOf(rec), u"Adams");

  // A copy, and a calculated flow field, keep to the record stepped to; the scan goes on.
  ASSERT_TRUE(IsOk(customers_->Next(rec, 1, &moved)));
  const Record copy = rec;
  ASSERT_TRUE(IsOk(rec.SetValue(customer::kSales, Value::Decimal(7))));
  ASSERT_TRUE(IsOk(customers_->Next(rec, 1, &moved)));
  EXPECT_EQ(nameOf(copy), u"Baker");
  EXPECT_EQ(nameOf(rec), u"Novák");
  EXPECT_EQ(rec.Find(customer::kSales)->decimal(), 0) << "a step clears flow fields";

  // Another buffer stepping on from the same record, and a search elsewhere: each buffer keeps
  // the record it stepped to.
  Record other = customers_->NewRecord();
  ASSERT_TRUE(IsOk(other.SetValue(customer::kNo, *rec.Find(customer::kNo))));
  ASSERT_TRUE(IsOk(customers_->Next(other, 1, &moved)));
  Record last = customers_->NewRecord();
  ASSERT_TRUE(IsOk(customers_->Find(last, u"+")));
  EXPECT_EQ(rec.Find(customer::kCity)->text(), u"Praha");
  EXPECT_EQ(nameOf(other), u"Čapek");
  EXPECT_EQ(other.Find(customer::kCity)->text(), u"Praha");

  // A write of the connection ends the scan: the buffer keeps what it stepped to.
  ASSERT_TRUE(IsOk(db_->BeginWrite()));
  ASSERT_TRUE(IsOk(customers_->Next(rec, 1, &moved)));
  Record changed = MakeRecord(*customers_, {{customer::kNo, u"C40"}, {customer::kName, u"New"}});
  ASSERT_TRUE(IsOk(customers_->Modify(changed)));
  EXPECT_EQ(nameOf(rec), u"Čapek");
  EXPECT_EQ(rec.Find(customer::kCity)->text(), u"Praha");
  ASSERT_TRUE(IsOk(customers_->Next(rec, 1, &moved)));
  EXPECT_EQ(nameOf(rec), u"adams");
  ASSERT_TRUE(IsOk(db_->Rollback()));
}

TEST_P(CursorTest, InsertModifyDeleteByPrimaryKey) {
  Record rec = MakeRecord(*customers_, {{customer::kNo, u"c10"}, {customer::kName, u"Dup"}});
  EXPECT_TRUE(HasCode(customers_->Insert(rec), errc::kRecordExists)) << "codes are upper-cased";
  ASSERT_TRUE(IsOk(rec.Set(customer::kName, u"Adams & Co.")));
  ASSERT_TRUE(IsOk(rec.Set(customer::kBalance, 1234.5)));
  ASSERT_TRUE(IsOk(rec.Set(customer::kPicture, std::u16string_view(u"\u0000\u00ff", 2))));
  ASSERT_TRUE(IsOk(customers_->Modify(rec)));
  Record read = MakeRecord(*customers_, {{customer::kNo, u"C10"}});
  ASSERT_TRUE(IsOk(customers_->Find(read, u"=")));
  EXPECT_EQ(read.Find(customer::kName)->text(), u"Adams & Co.");
  EXPECT_EQ(read.Find(customer::kBalance)->decimal(), 1234.5);
  EXPECT_EQ(read.Find(customer::kPicture)->blob(), std::string("\0\xff", 2));
  EXPECT_EQ(read.Find(customer::kCity)->text(), u"") << "modify writes the whole buffer";

  ASSERT_TRUE(IsOk(customers_->Delete(read)));
  EXPECT_TRUE(HasCode(customers_->Delete(read), errc::kRecordNotFound));
  EXPECT_TRUE(HasCode(customers_->Modify(read), errc::kRecordNotFound));
  EXPECT_TRUE(HasCode(customers_->Find(read, u"="), errc::kRecordNotFound));

  Record wrong = entries_->NewRecord();
  EXPECT_TRUE(HasCode(customers_->Insert(wrong), errc::kWrongTable));
}

TEST_P(CursorTest, DeleteAllRemovesOnlyTheFilteredRecords) {
  ASSERT_TRUE(IsOk(customers_->SetFilter(customer::kCity, u"Brno")));
  ASSERT_TRUE(IsOk(customers_->DeleteAll()));
  customers_->ClearFilters();
  EXPECT_EQ(Scan(*customers_), (Numbers{u"C30", u"C40", u"C50"}));
}

TEST_P(CursorTest, FlowFieldsSumCountAndExistWithFlowFilters) {
  AddEntry(1, u"C10", 0.1, u"2020-01-15", 2);
  AddEntry(2, u"C10", 0.2, u"2020-02-15", 3);
  AddEntry(3, u"C10", 1234.56789, u"2020-03-15", -1);
  AddEntry(4, u"C20", 5, u"2020-01-01");
  Record rec = MakeRecord(*customers_, {{customer::kNo, u"C10"}});
  ASSERT_TRUE(IsOk(customers_->Find(rec, u"=")));
  EXPECT_EQ(rec.Find(customer::kSales)->decimal(), 0.0) << "0 until calculated";
  ASSERT_TRUE(IsOk(customers_->CalcFlowField(rec, customer::kSales)));
  EXPECT_EQ(rec.Find(customer::kSales)->decimal(), 1234.86789);
  ASSERT_TRUE(IsOk(customers_->CalcFlowField(rec, customer::kEntries)));
  EXPECT_EQ(rec.Find(customer::kEntries)->integer(), 3);
  ASSERT_TRUE(IsOk(customers_->CalcFlowField(rec, customer::kQuantity)));
  EXPECT_EQ(rec.Find(customer::kQuantity)->decimal(), 4.0);

  ASSERT_TRUE(IsOk(customers_->SetFilter(customer::kDateFilter, u"..2/29/2020")));
  ASSERT_TRUE(IsOk(customers_->CalcFlowField(rec, customer::kSales)));
  EXPECT_EQ(rec.Find(customer::kSales)->decimal(), 0.3) << "exact, not 0.30000000000000004";
  EXPECT_EQ(Scan(*customers_).size(), 5u) << "a flow filter does not filter the records";

  ASSERT_TRUE(IsOk(customers_->SetFilter(customer::kDateFilter, u"2021-01-01..")));
  ASSERT_TRUE(IsOk(customers_->CalcFlowField(rec, customer::kHasEntries)));
  EXPECT_FALSE(rec.Find(customer::kHasEntries)->boolean());
  customers_->ClearFilters();
  ASSERT_TRUE(IsOk(customers_->CalcFlowField(rec, customer::kHasEntries)));
  EXPECT_TRUE(rec.Find(customer::kHasEntries)->boolean());

  EXPECT_TRUE(HasCode(customers_->CalcFlowField(rec, customer::kName), errc::kNotFlowField));
  ASSERT_TRUE(IsOk(customers_->Find(rec, u"=")));
  EXPECT_EQ(rec.Find(customer::kSales)->decimal(), 0.0) << "reading the record resets it";
}

TEST_P(CursorTest, ClosedCompanyOrDatabaseAnswersClosed) {
  Record rec = customers_->NewRecord();
  db_->CloseCompany();
  EXPECT_TRUE(HasCode(customers_->Find(rec, u"-"), errc::kClosed));
  ASSERT_TRUE(IsOk(db_->OpenCompany(u"CRONUS")));
  EXPECT_TRUE(HasCode(customers_->Find(rec, u"-"), errc::kClosed)) << "reopening needs new cursors";
  std::unique_ptr<Cursor> fresh;
  ASSERT_TRUE(IsOk(db_->OpenTable(kCustomerTable, &fresh)));
  ASSERT_TRUE(IsOk(fresh->Find(rec, u"-")));
  db_.reset();
  int32_t count = 0;
  EXPECT_TRUE(HasCode(fresh->Count(&count), errc::kClosed));
  EXPECT_TRUE(HasCode(fresh->Insert(rec), errc::kClosed));
}

INSTANTIATE_TEST_SUITE_P(Backends, CursorTest, kBothBackends,
                         [](const auto& info) { return BackendName(info.param); });

}  // namespace
}  // namespace dbclient
