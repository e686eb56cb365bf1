#include "storage/postgres/read_ahead.h"

#include "storage/sql_text.h"

namespace dbclient::postgres {

Page::Page(const Query& query, Result rows, int32_t asked, bool ascending, const Record* anchor,
           uint64_t generation)
    : RowSource(nullptr, sql::StoredColumns(*query.table)),
      order_(query.order),
      rows_(std::move(rows)),
      count_(rows_.rows()),
      asked_(asked),
      ascending_(ascending),
      edge_(anchor == nullptr),
      complete_(count_ < asked),
      generation_(generation) {
  if (anchor == nullptr) return;
  for (int32_t field : order_) key_.push_back(*anchor->Find(field));
}

bool Page::Edge(Record* out) {
  if (count_ == 0) return false;
  StandOn(0, out);
  return true;
}

Page::Outcome Page::Step(const Record& from, int32_t steps, Record* out, int32_t* moved) {
  if (key_.empty()) return Outcome::kNotHere;
  for (size_t i = 0; i < order_.size(); ++i) {
    if (!(*from.Find(order_[i]) == key_[i])) return Outcome::kNotHere;
  }
  const int direction = ascending_ ? 1 : -1;
  const int64_t target = position_ + static_cast<int64_t>(steps) * direction;
  int reached = static_cast<int>(target);
  if (target >= count_) {
    if (!complete_) return Outcome::kRanOut;
    reached = count_ - 1;  // the query's last record in this direction
  } else if (target < 0) {
    if (!edge_) return Outcome::kNotHere;  // behind the anchor
    reached = 0;
  }
  *moved = 0;
  if (reached < 0 || reached == position_) return Outcome::kServed;
  *moved = (reached - position_) * direction;
  StandOn(reached, out);
  return Outcome::kServed;
}

void Page::StandOn(int index, Record* out) {
  if (borrower() != out) Return();  // another buffer takes the row it holds
  position_ = index;
  Lend(*out);
  key_.clear();
  for (int32_t field : order_) key_.push_back(*out->Find(field));
}

}  // namespace dbclient::postgres
