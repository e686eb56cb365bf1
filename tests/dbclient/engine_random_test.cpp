// The record engine against a simple in-memory model under random operations: inserts,
// modifies, deletes (some in transactions that are rolled back), keys, filters and ranges,
// and every find method, stepping and counting checked against the model.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "engine_test_support.h"
#include "error_codes.h"

namespace dbclient {
namespace {

using namespace testing;

// One record of the document-line table as the model keeps it.
struct Row {
  int32_t type = 0;
  std::u16string docNo;
  int32_t lineNo = 0;
  std::u16string description;
  double amount = 0;
};

using PrimaryKey = std::tuple<int32_t, std::u16string, int32_t>;
PrimaryKey KeyOf(const Row& row) { return {row.type, row.docNo, row.lineNo}; }

// The model's own case folding for the letters the data uses.
char16_t Fold(char16_t c) {
  if (c >= u'A' && c <= u'Z') return static_cast<char16_t>(c + 32);
  if (c == u'Č') return u'č';
  if (c == u'Ž') return u'ž';
  return c;
}
std::u16string Fold(std::u16string text) {
  for (char16_t& c : text) c = Fold(c);
  return text;
}

struct ModelFilter {
  int32_t field;
  std::u16string expression;  // empty: a range set with min and max below
  Input min, max;
  std::function<bool(const Row&)> keeps;
};

class Model {
 public:
  std::map<PrimaryKey, Row> rows;
  bool bySecondaryKey = false;
  std::map<int32_t, ModelFilter> filters;

  // The sort tuple of the current key: (description,) then the primary key.
  bool Less(const Row& a, const Row& b) const {
    if (bySecondaryKey && a.description != b.description) return a.description < b.description;
    return KeyOf(a) < KeyOf(b);
  }
  bool Same(const Row& a, const Row& b) const { return !Less(a, b) && !Less(b, a); }

  std::vector<Row> Visible() const {
    std::vector<Row> out;
    for (const auto& [key, row] : rows) {
      bool keep = true;
      for (const auto& [field, filter] : filters) keep = keep && filter.keeps(row);
      if (keep) out.push_back(row);
    }
    std::sort(out.begin(), out.end(), [this](const Row& a, const Row& b) { return Less(a, b); });
    return out;
  }
};

class RandomTest : public ::testing::TestWithParam<std::tuple<Backend, int>> {
 protected:
  void SetUp() override {
    random_.seed(static_cast<uint32_t>(std::get<1>(GetParam())));
    db_ = store_.CreateAndOpen();
    ASSERT_NE(db_, nullptr);
    ASSERT_TRUE(IsOk(db_->OpenTable(kLineTable, &cursor_)));
  }

  int Pick(int n) { return static_cast<int>(random_() % static_cast<uint32_t>(n)); }
  template <typename T>
  const T& PickFrom(const std::vector<T>& items) {
    return items[static_cast<size_t>(Pick(static_cast<int>(items.size())))];
  }

  Row RandomRow() {
    static const std::vector<std::u16string> kDocNos = {u"",    u"A",  u"AB", u"B", u"D1",
                                                        u"D10", u"D2", u"ČX", u"Z"};
    static const std::vector<char16_t> kLetters = {u'a', u'b', u'c', u'A', u'B',
                                                   u'č', u'Ž', u' ', u'*', u'\''};
    Row row;
    row.type = Pick(3);
    row.docNo = PickFrom(kDocNos);
    row.lineNo = (Pick(12) - 2) * 10000;
    const int length = Pick(5);
    for (int i = 0; i < length; ++i) row.description += PickFrom(kLetters);
    row.amount = (Pick(200001) - 100000) / 100.0;
    return row;
  }

  Record ToRecord(const Row& row) {
    return MakeRecord(*cursor_, {{line::kDocType, int64_t{row.type}},
                                 {line::kDocNo, std::u16string_view(row.docNo)},
                                 {line::kLineNo, int64_t{row.lineNo}},
                                 {line::kDescription, std::u16string_view(row.description)},
                                 {line::kAmount, row.amount}});
  }

  static void ExpectSame(const Record& rec, const Row& row) {
    EXPECT_EQ(rec.Find(line::kDocType)->integer(), row.type);
    EXPECT_EQ(rec.Find(line::kDocNo)->text(), row.docNo);
    EXPECT_EQ(rec.Find(line::kLineNo)->integer(), row.lineNo);
    EXPECT_EQ(rec.Find(line::kDescription)->text(), row.description);
    EXPECT_EQ(rec.Find(line::kAmount)->decimal(), row.amount);
  }

  // A key to start from: an existing row (sometimes with another description) or a new one.
  Row StartRow() {
    const int choice = Pick(4);
    if (choice == 0 || model_.rows.empty()) return RandomRow();
    auto it = model_.rows.begin();
    std::advance(it, Pick(static_cast<int>(model_.rows.size())));
    Row row = it->second;
    if (choice == 1) row.description = RandomRow().description;
    return row;
  }

  ModelFilter RandomFilter() {
    const int32_t a = (Pick(12) - 2) * 10000;
    const int32_t b = a + Pick(5) * 10000;
    switch (Pick(17)) {
      case 0:
        return {line::kDocType, u"Order", {}, {}, [](const Row& r) { return r.type == 1; }};
      case 1:
        return {line::kDocType, u"Quote|Invoice", {}, {}, [](const Row& r) { return r.type != 1; }};
      case 2:
        return {line::kDocType, u"<>2", {}, {}, [](const Row& r) { return r.type != 2; }};
      case 3:
        return {line::kDocNo, u"d1", {}, {}, [](const Row& r) { return r.docNo == u"D1"; }};
      case 4:
        return {line::kDocNo, u"A..D2", {}, {}, [](const Row& r) {
                  return r.docNo >= u"A" && r.docNo <= u"D2";
                }};
      case 5:
        return {
            line::kDocNo, u"D*", {}, {}, [](const Row& r) { return r.docNo.rfind(u"D", 0) == 0; }};
      case 6:
        return {line::kDocNo, u"<>''&<Z", {}, {}, [](const Row& r) {
                  return !r.docNo.empty() && r.docNo < u"Z";
                }};
      case 7: {
        const std::string narrow = std::to_string(a) + ".." + std::to_string(b);
        return {line::kLineNo,
                std::u16string(narrow.begin(), narrow.end()),
                {},
                {},
                [a, b](const Row& r) { return r.lineNo >= a && r.lineNo <= b; }};
      }
      case 8: {
        const std::string narrow = ">" + std::to_string(a) + "|" + std::to_string(b);
        return {line::kLineNo,
                std::u16string(narrow.begin(), narrow.end()),
                {},
                {},
                [a, b](const Row& r) { return r.lineNo > a || r.lineNo == b; }};
      }
      case 9:
        return {line::kLineNo, {}, int64_t{a}, int64_t{b}, [a, b](const Row& r) {
                  return r.lineNo >= a && r.lineNo <= b;
                }};
      case 10:
        return {line::kDescription, u"@a*", {}, {}, [](const Row& r) {
                  return !r.description.empty() && Fold(r.description[0]) == u'a';
                }};
      case 11:
        return {line::kDescription, u"*b*", {}, {}, [](const Row& r) {
                  return r.description.find(u'b') != std::u16string::npos;
                }};
      case 12:
        return {line::kDescription, u"''|'*'*", {}, {}, [](const Row& r) {
                  return r.description.empty() || r.description[0] == u'*';
                }};
      case 13:
        return {line::kDescription, u"@*č*", {}, {}, [](const Row& r) {
                  return Fold(r.description).find(u'č') != std::u16string::npos;
                }};
      case 14:
        return {line::kDescription, u"' '..b", {}, {}, [](const Row& r) {
                  return r.description >= u" " && r.description <= u"b";
                }};
      case 15:
        return {line::kAmount, u"-100.5..250.25", {}, {}, [](const Row& r) {
                  return r.amount >= -100.5 && r.amount <= 250.25;
                }};
      default:
        return {line::kAmount, u">0", {}, {}, [](const Row& r) { return r.amount > 0; }};
    }
  }

  void CheckFind(std::u16string_view method) {
    const Row start = StartRow();
    Record rec = ToRecord(start);
    const Status status = cursor_->Find(rec, method);
    const std::vector<Row> visible = model_.Visible();
    std::optional<Row> expected;
    if (method == u"-" && !visible.empty()) expected = visible.front();
    if (method == u"+" && !visible.empty()) expected = visible.back();
    const bool equal = method.find(u'=') != std::u16string_view::npos;
    const bool after = method.find(u'>') != std::u16string_view::npos;
    const bool before = method.find(u'<') != std::u16string_view::npos;
    if (!expected && equal) {
      for (const Row& row : visible) {
        if (model_.Same(row, start)) expected = row;
      }
    }
    if (!expected && after) {
      for (const Row& row : visible) {
        if (model_.Less(start, row)) {
          expected = row;
          break;
        }
      }
    }
    if (!expected && before) {
      for (auto it = visible.rbegin(); it != visible.rend(); ++it) {
        if (model_.Less(*it, start)) {
          expected = *it;
          break;
        }
      }
    }
    if (expected) {
      ASSERT_TRUE(IsOk(status)) << Utf8(method);
      ExpectSame(rec, *expected);
    } else {
      const bool only_equal = equal && !after && !before;
      ASSERT_TRUE(HasCode(status, only_equal ? errc::kRecordNotFound : errc::kNoRecordInFilter))
          << Utf8(method);
      ExpectSame(rec, start);
    }
  }

  void CheckNext() {
    const Row start = StartRow();
    Record rec = ToRecord(start);
    static const std::vector<int32_t> kSteps = {1, 1, 1, -1, -1, 2, -2, 3, -3, 50, -50};
    const int32_t steps = PickFrom(kSteps);
    int32_t moved = 99;
    ASSERT_TRUE(IsOk(cursor_->Next(rec, steps, &moved)));
    const std::vector<Row> visible = model_.Visible();
    std::vector<Row> ahead;
    if (steps > 0) {
      for (const Row& row : visible) {
        if (model_.Less(start, row)) ahead.push_back(row);
      }
    } else {
      for (auto it = visible.rbegin(); it != visible.rend(); ++it) {
        if (model_.Less(*it, start)) ahead.push_back(*it);
      }
    }
    const int32_t passed = std::min<int32_t>(std::abs(steps), static_cast<int32_t>(ahead.size()));
    ASSERT_EQ(moved, steps > 0 ? passed : -passed) << "steps " << steps;
    ExpectSame(rec, passed == 0 ? start : ahead[static_cast<size_t>(passed - 1)]);
  }

  void Write() {
    const Row row = RandomRow();
    const bool exists = model_.rows.count(KeyOf(row)) > 0;
    switch (Pick(3)) {
      case 0: {
        const Status status = cursor_->Insert(ToRecord(row));
        if (exists) {
          ASSERT_TRUE(HasCode(status, errc::kRecordExists));
        } else {
          ASSERT_TRUE(IsOk(status));
          model_.rows[KeyOf(row)] = row;
        }
        break;
      }
      case 1: {
        const Status status = cursor_->Modify(ToRecord(row));
        if (!exists) {
          ASSERT_TRUE(HasCode(status, errc::kRecordNotFound));
        } else {
          ASSERT_TRUE(IsOk(status));
          model_.rows[KeyOf(row)] = row;
        }
        break;
      }
      default: {
        const Status status = cursor_->Delete(ToRecord(row));
        if (!exists) {
          ASSERT_TRUE(HasCode(status, errc::kRecordNotFound));
        } else {
          ASSERT_TRUE(IsOk(status));
          model_.rows.erase(KeyOf(row));
        }
        break;
      }
    }
  }

  void ChangeView() {
    switch (Pick(4)) {
      case 0: {
        model_.bySecondaryKey = !model_.bySecondaryKey;
        const std::vector<int32_t> key = model_.bySecondaryKey
                                             ? std::vector<int32_t>{line::kDescription}
                                             : std::vector<int32_t>{line::kDocType};
        ASSERT_TRUE(IsOk(cursor_->SetCurrentKey(key)));
        break;
      }
      case 1:
        cursor_->ClearFilters();
        model_.filters.clear();
        break;
      default: {
        ModelFilter filter = RandomFilter();
        if (filter.expression.empty()) {
          ASSERT_TRUE(IsOk(cursor_->SetRange(filter.field, filter.min, filter.max)));
        } else {
          ASSERT_TRUE(IsOk(cursor_->SetFilter(filter.field, filter.expression)))
              << Utf8(filter.expression);
        }
        model_.filters[filter.field] = std::move(filter);
      }
    }
  }

  TestStore store_{std::get<0>(GetParam()), TestSchema()};
  std::mt19937 random_;
  std::unique_ptr<Database> db_;
  std::unique_ptr<Cursor> cursor_;
  Model model_;
};

TEST_P(RandomTest, EngineAgreesWithModel) {
  for (int i = 0; i < 300; ++i) {
    Row row = RandomRow();
    if (cursor_->Insert(ToRecord(row)).ok()) model_.rows[KeyOf(row)] = row;
  }
  static const std::vector<std::u16string> kMethods = {u"-",  u"+",  u"=",  u">",  u"<",
                                                       u">=", u"=<", u"<>", u"=><"};
  for (int step = 0; step < 1500; ++step) {
    SCOPED_TRACE("step " + std::to_string(step));
    const int action = Pick(20);
    if (action < 6) {
      CheckFind(PickFrom(kMethods));
    } else if (action < 10) {
      CheckNext();
    } else if (action < 11) {
      int32_t count = -1;
      ASSERT_TRUE(IsOk(cursor_->Count(&count)));
      ASSERT_EQ(count, static_cast<int32_t>(model_.Visible().size()));
    } else if (action < 15) {
      ChangeView();
    } else if (action < 19) {
      Write();
    } else {
      // A batch of writes in a transaction, committed or rolled back.
      const std::map<PrimaryKey, Row> saved = model_.rows;
      ASSERT_TRUE(IsOk(db_->BeginWrite()));
      for (int i = 0; i < 5; ++i) Write();
      if (Pick(2) == 0) {
        ASSERT_TRUE(IsOk(db_->Rollback()));
        model_.rows = saved;
      } else {
        ASSERT_TRUE(IsOk(db_->Commit()));
      }
      db_->SelectLatestVersion();
    }
    if (HasFatalFailure()) return;
  }
  cursor_->ClearFilters();
  int32_t count = -1;
  ASSERT_TRUE(IsOk(cursor_->Count(&count)));
  EXPECT_EQ(count, static_cast<int32_t>(model_.rows.size()));
}

INSTANTIATE_TEST_SUITE_P(Seeds, RandomTest,
                         ::testing::Combine(kBothBackends, ::testing::Values(1, 2, 3, 4)),
                         [](const auto& info) {
                           return BackendName(std::get<0>(info.param)) + "Seed" +
                                  std::to_string(std::get<1>(info.param));
                         });

}  // namespace
}  // namespace dbclient
