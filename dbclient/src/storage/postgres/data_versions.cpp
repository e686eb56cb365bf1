#include "storage/postgres/data_versions.h"

#include <unordered_set>

namespace dbclient::postgres {
namespace {

TableId RowTable(const Result& rows, int row) {
  return {rows.Integer(row, 0), static_cast<int32_t>(rows.Integer(row, 1))};
}

}  // namespace

uint64_t DataVersions::RecordGeneration(TableId table) const {
  const auto it = tables_.find(table);
  return it != tables_.end() && it->second.known ? it->second.records : 0;
}

uint64_t DataVersions::PageGeneration(TableId table) const {
  const auto it = tables_.find(table);
  return it != tables_.end() && it->second.known ? it->second.pages : 0;
}

void DataVersions::Start(const Result& versions) {
  std::unordered_set<TableId, TableIdHash> listed;
  for (int row = 0; row < versions.rows(); ++row) {
    const TableId id = RowTable(versions, row);
    const int64_t version = versions.Integer(row, 2);
    State& state = tables_[id];
    if (!state.known || state.version != version) Drop(state);
    state.version = version;
    state.known = true;
    state.written = false;
    listed.insert(id);
  }
  for (auto& [id, state] : tables_) {
    if (listed.contains(id)) continue;
    if (state.known) Drop(state);
    state.known = false;
    state.written = false;
  }
}

void DataVersions::Wrote(TableId table) {
  State& state = tables_[table];
  state.pages = next_++;
  state.written = true;
}

void DataVersions::WroteMany(TableId table) {
  State& state = tables_[table];
  Drop(state);
  state.written = true;
}

void DataVersions::Committed(const Result& raised) {
  for (int row = 0; row < raised.rows(); ++row) {
    const auto it = tables_.find(RowTable(raised, row));
    if (it == tables_.end()) continue;  // a table this connection has not seen yet
    State& state = it->second;
    const int64_t version = raised.Integer(row, 2);
    // One more than known: the transaction's own change, which the records kept include.
    if (!state.known || !state.written || version != state.version + 1) Drop(state);
    state.version = version;
    state.written = false;
  }
  RolledBack();  // tables written without a raised version: what was kept of them is unsure
}

void DataVersions::RolledBack() {
  for (auto& [id, state] : tables_) {
    if (!state.written) continue;
    Drop(state);
    state.written = false;
  }
}

}  // namespace dbclient::postgres
