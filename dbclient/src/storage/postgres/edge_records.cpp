#include "storage/postgres/edge_records.h"

#include <algorithm>

namespace dbclient::postgres {

bool EdgeRecords::Keeps(const Query& query) {
  const std::vector<int32_t>& key = query.table->PrimaryKey().fields;
  return query.order == key &&
         std::all_of(query.filters.begin(), query.filters.end(), [&](const FieldFilter& filter) {
           return std::find(key.begin(), key.end(), filter.fieldNo()) != key.end();
         });
}

bool EdgeRecords::Edge::BeyondEdge(const Record& rec) const {
  for (const FieldFilter& filter : filters) {
    if (!filter.Matches(*rec.Find(filter.fieldNo()))) return false;
  }
  if (!record) return true;
  for (int32_t field : order) {
    const int c = rec.Find(field)->Compare(*record->Find(field));
    if (c != 0) return ascending ? c < 0 : c > 0;
  }
  return false;
}

bool EdgeRecords::Edge::IsEdge(const Record& rec) const {
  return record && std::all_of(order.begin(), order.end(), [&](int32_t field) {
           return *rec.Find(field) == *record->Find(field);
         });
}

const std::optional<Record>* EdgeRecords::Find(const sql::QueryPlan& plan, bool ascending,
                                               uint64_t generation) {
  const auto it = std::find_if(edges_.begin(), edges_.end(),
                               [&](const Edge& edge) { return edge.Serves(plan, ascending); });
  if (it == edges_.end()) return nullptr;
  if (generation == 0 || it->generation != generation) {
    edges_.erase(it);
    return nullptr;
  }
  return &it->record;
}

void EdgeRecords::Put(const Query& query, const sql::QueryPlan& plan, bool ascending,
                      uint64_t generation, std::optional<Record> edge) {
  if (generation == 0) return;
  std::erase_if(edges_, [&](const Edge& kept) { return kept.Serves(plan, ascending); });
  if (edges_.size() >= kMaxEdges) edges_.erase(edges_.begin());
  edges_.push_back({{query.company, query.table->number},
                    plan.shape,
                    plan.parameters,
                    ascending,
                    generation,
                    query.order,
                    query.filters,
                    std::move(edge)});
}

void EdgeRecords::Inserted(TableId table, const Record& rec) {
  for (Edge& edge : edges_) {
    if (edge.table == table && edge.BeyondEdge(rec)) edge.record = rec;
  }
}

void EdgeRecords::Updated(TableId table, const Record& rec) {
  for (Edge& edge : edges_) {
    if (edge.table == table && edge.IsEdge(rec)) edge.record = rec;
  }
}

void EdgeRecords::Deleted(TableId table, const Record& rec) {
  std::erase_if(edges_, [&](const Edge& edge) { return edge.table == table && edge.IsEdge(rec); });
}

bool EdgeRecords::ProvesMissing(TableId table, const Record& rec, uint64_t generation) const {
  return generation != 0 && std::any_of(edges_.begin(), edges_.end(), [&](const Edge& edge) {
           return edge.table == table && edge.generation == generation && edge.BeyondEdge(rec);
         });
}

}  // namespace dbclient::postgres
