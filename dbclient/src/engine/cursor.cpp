#include <algorithm>
#include <map>

#include "dbclient/engine.h"
#include "engine/database_impl.h"
#include "engine/field_table.h"
#include "engine/text_util.h"
#include "error_codes.h"

namespace dbclient {

struct Cursor::Impl {
  std::shared_ptr<Database::Impl> db;
  uint64_t generation = 0;
  const TableDef* table = nullptr;
  bool isVirtual = false;
  size_t key = 0;                          // index into table->keys
  std::map<int32_t, FieldFilter> filters;  // every field's filter, flow filters included
  Query query;

  // What a flow field sums or counts: its source records, those whose link fields equal the
  // record's own fields, or follow this cursor's filter where the own field is a flow filter.
  // Made on first use and kept while the filters stay; each calculation only takes the
  // record's values.
  struct FlowQuery {
    Query query;
    Aggregate aggregate = Aggregate::kSum;
    const FieldDef* summed = nullptr;  // kSum
    struct ValueLink {
      size_t filter;  // into query.filters
      const FieldDef* source;
      int32_t ownField;
    };
    std::vector<ValueLink> values;

    void TakeValues(const Record& rec) {
      for (const ValueLink& link : values) {
        const Value& own = *rec.Find(link.ownField);
        Value converted;  // a Text field linked to a Code field or the other way round
        if (own.type() != link.source->type) {
          converted = link.source->type == FieldType::kCode ? Value::Code(own.text())
                                                            : Value::Text(own.text());
        }
        const Value& value = own.type() == link.source->type ? own : converted;
        FieldFilter& filter = query.filters[link.filter];
        if (filter.root().term.low == value) continue;
        filter = FieldFilter::Equal(*link.source, value);
        query.newValues = true;
      }
    }
  };
  std::map<int32_t, FlowQuery> flowQueries;  // by flow field

  bool Usable() const noexcept {
    return db->open && db->companyOpen && db->generation == generation;
  }

  Status Check() const {
    return Usable() ? Status() : Status::Error(errc::kClosed, table->name);
  }

  Status CheckRecord(const Record& rec) const {
    Status status = Check();
    if (status.ok() && &rec.table() != table) {
      return Status::Error(errc::kWrongTable, rec.table().name);
    }
    return status;
  }

  const FieldDef* Field(int32_t fieldNo) const { return table->FindField(fieldNo); }

  // The query follows the key and the filters of stored fields; the backend's plan of the
  // old query is dropped.
  void Rebuild() {
    query.order = table->keys[key].fields;
    for (int32_t field : table->PrimaryKey().fields) {
      if (std::find(query.order.begin(), query.order.end(), field) == query.order.end()) {
        query.order.push_back(field);
      }
    }
    query.filters.clear();
    for (const auto& [number, filter] : filters) {
      const FieldDef* field = Field(number);
      if (field->fieldClass == FieldClass::kNormal) query.filters.push_back(filter);
    }
    query.plan.reset();
    flowQueries.clear();
  }

  // A filter changed only its values: the query takes them and keeps the backend's plan.
  void TakeNewValues(int32_t fieldNo) {
    for (FieldFilter& filter : query.filters) {
      if (filter.fieldNo() != fieldNo) continue;
      filter = filters.at(fieldNo);
      query.newValues = true;
    }
    flowQueries.clear();
  }

  Status MakeFlowQuery(const FieldDef& field, FlowQuery* out) const {
    if (field.fieldClass != FieldClass::kFlowField || !field.flow) {
      return Status::Error(errc::kNotFlowField, field.name);
    }
    const FlowFieldDef& flow = *field.flow;
    const TableDef* source =
        flow.sourceTable == kFieldTableNo ? nullptr : db->FindTable(flow.sourceTable);
    if (source == nullptr) return Status::Error(errc::kUnknownTable, field.name);
    Query& query = out->query;
    query.company = db->company;
    query.table = source;
    query.order = source->PrimaryKey().fields;
    for (const FlowFieldDef::Link& link : flow.links) {
      const FieldDef* target = source->FindField(link.sourceField);
      const FieldDef* own = Field(link.ownField);
      if (target == nullptr || own == nullptr || target->fieldClass != FieldClass::kNormal) {
        return Status::Error(errc::kUnknownField, field.name);
      }
      const auto is_text = [](FieldType t) {
        return t == FieldType::kText || t == FieldType::kCode;
      };
      if (target->type != own->type && !(is_text(target->type) && is_text(own->type))) {
        return Status::Error(errc::kTypeMismatch, field.name);
      }
      if (own->fieldClass == FieldClass::kFlowFilter) {
        const auto filter = filters.find(link.ownField);
        if (filter == filters.end()) continue;
        query.filters.push_back(filter->second.OnField(link.sourceField));
        continue;
      }
      out->values.push_back({query.filters.size(), target, link.ownField});
      query.filters.push_back(FieldFilter::Equal(*target, Value(target->type)));
    }
    if (flow.method == FlowFieldDef::Method::kCount) out->aggregate = Aggregate::kCount;
    if (flow.method == FlowFieldDef::Method::kExist) out->aggregate = Aggregate::kExist;
    if (out->aggregate == Aggregate::kSum) {
      const FieldDef* summed = source->FindField(flow.sourceField);
      if (summed == nullptr ||
          (summed->type != FieldType::kDecimal && summed->type != FieldType::kInteger) ||
          summed->fieldClass != FieldClass::kNormal) {
        return Status::Error(errc::kTypeMismatch, field.name);
      }
      out->summed = summed;
    }
    return Status();
  }

  // kAfter and kBefore are a step of one.
  Status Seek(SeekMode mode, Record& rec, bool* found) {
    if (mode == SeekMode::kAfter || mode == SeekMode::kBefore) {
      int32_t moved = 0;
      Status status = Step(rec, mode == SeekMode::kAfter ? 1 : -1, &moved);
      *found = moved != 0;
      return status;
    }
    if (isVirtual) {
      db->FieldRows().Seek(query, mode, rec, &rec, found);
      return Status();
    }
    return db->storage->Seek(query, mode, rec, &rec, found);
  }

  Status Step(Record& rec, int32_t steps, int32_t* moved) {
    if (isVirtual) {
      db->FieldRows().Step(query, rec, steps, &rec, moved);
      return Status();
    }
    return db->storage->Step(query, rec, steps, &rec, moved);
  }

  Status WritableRecord(const Record& rec) const {
    Status status = CheckRecord(rec);
    if (status.ok() && isVirtual) return Status::Error(errc::kReadOnlyTable, table->name);
    return status;
  }

  // Sets or removes a field's filter; refused, keeping the previous one, when the filters
  // together would hold more values than one query may carry.
  Status SetFieldFilter(int32_t fieldNo, std::optional<FieldFilter> filter) {
    if (filter) {
      size_t values = filter->valueCount();
      for (const auto& [number, other] : filters) {
        if (number != fieldNo) values += other.valueCount();
      }
      if (values > kMaxFilterValues) {
        return Status::Error(errc::kTooManyFilterValues, Field(fieldNo)->name);
      }
      const auto old = filters.find(fieldNo);
      if (old != filters.end() && old->second.SameTerms(*filter)) {
        old->second = std::move(*filter);
        TakeNewValues(fieldNo);
        return Status();
      }
      filters.insert_or_assign(fieldNo, std::move(*filter));
    } else {
      filters.erase(fieldNo);
    }
    Rebuild();
    return Status();
  }

  Status FilterableField(int32_t fieldNo, const FieldDef** field) const {
    Status status = Check();
    if (!status.ok()) return status;
    *field = Field(fieldNo);
    if (*field == nullptr) return Status::Error(errc::kUnknownField, std::to_string(fieldNo));
    if ((*field)->fieldClass == FieldClass::kFlowField) {
      return Status::Error(errc::kFilterOnFlowField, (*field)->name);
    }
    return Status();
  }
};

Status Database::OpenTable(int32_t tableNo, std::unique_ptr<Cursor>* out) {
  if (!impl_->open) return Status::Error(errc::kNoDatabase);
  if (!impl_->companyOpen) return Status::Error(errc::kNoCompany);
  const TableDef* table = impl_->FindTable(tableNo);
  if (table == nullptr) return Status::Error(errc::kUnknownTable, std::to_string(tableNo));
  auto impl = std::make_unique<Cursor::Impl>();
  impl->db = impl_;
  impl->generation = impl_->generation;
  impl->table = table;
  impl->isVirtual = tableNo == kFieldTableNo;
  impl->query.company = impl_->company;
  impl->query.table = table;
  impl->Rebuild();
  *out = std::make_unique<Cursor>(Cursor::PassKey{}, std::move(impl));
  return Status();
}

Cursor::Cursor(PassKey, std::unique_ptr<Impl> impl)
    : impl_(std::move(impl)), table_(impl_->table) {}
Cursor::~Cursor() = default;

bool Cursor::usable() const noexcept { return impl_->Usable(); }

bool Cursor::asOpened() const noexcept { return impl_->key == 0 && impl_->filters.empty(); }

Status Cursor::SetCurrentKey(std::span<const int32_t> fields) {
  Status status = impl_->Check();
  if (!status.ok()) return status;
  const auto& keys = impl_->table->keys;
  for (size_t k = 0; k < keys.size() && !fields.empty(); ++k) {
    if (fields.size() <= keys[k].fields.size() &&
        std::equal(fields.begin(), fields.end(), keys[k].fields.begin())) {
      impl_->key = k;
      impl_->Rebuild();
      return Status();
    }
  }
  std::string detail;
  for (int32_t field : fields) detail += (detail.empty() ? "" : ",") + std::to_string(field);
  return Status::Error(errc::kInvalidKey, detail);
}

std::vector<int32_t> Cursor::CurrentKey() const { return impl_->table->keys[impl_->key].fields; }

Status Cursor::SetFilter(int32_t fieldNo, std::u16string_view expression) {
  const FieldDef* field = nullptr;
  Status status = impl_->FilterableField(fieldNo, &field);
  if (!status.ok()) return status;
  if (text::TrimBlanks(expression).empty()) return impl_->SetFieldFilter(fieldNo, std::nullopt);
  FieldFilter filter;
  status = FieldFilter::Parse(*field, expression, &filter);
  if (!status.ok()) return status;
  return impl_->SetFieldFilter(fieldNo, std::move(filter));
}

Status Cursor::SetRange(int32_t fieldNo, const Input& min, const Input& max) {
  const FieldDef* field = nullptr;
  Status status = impl_->FilterableField(fieldNo, &field);
  if (!status.ok()) return status;
  if (field->type == FieldType::kBlob) return Status::Error(errc::kTypeMismatch, field->name);
  Value low, high;
  status = ConvertInput(*field, min, &low);
  if (status.ok()) status = ConvertInput(*field, max, &high);
  if (!status.ok()) return status;
  return impl_->SetFieldFilter(fieldNo, FieldFilter::Range(*field, low, high));
}

void Cursor::ClearFilters() {
  impl_->filters.clear();
  impl_->Rebuild();
}

Status Cursor::Find(Record& rec, std::u16string_view method) {
  Status status = impl_->CheckRecord(rec);
  if (!status.ok()) return status;
  bool equal = false, after = false, before = false;
  bool valid = !method.empty();
  if (method == u"-" || method == u"+") {
    bool found = false;
    status = impl_->Seek(method == u"-" ? SeekMode::kFirst : SeekMode::kLast, rec, &found);
    if (!status.ok()) return status;
    return found ? Status() : Status::Error(errc::kNoRecordInFilter);
  }
  for (char16_t c : method) {
    equal |= c == u'=';
    after |= c == u'>';
    before |= c == u'<';
    valid &= c == u'=' || c == u'>' || c == u'<';
  }
  if (!valid) return Status::Error(errc::kBadSearchMethod, text::ToUtf8(method));
  bool found = false;
  if (equal) status = impl_->Seek(SeekMode::kEqual, rec, &found);
  if (status.ok() && !found && after) status = impl_->Seek(SeekMode::kAfter, rec, &found);
  if (status.ok() && !found && before) status = impl_->Seek(SeekMode::kBefore, rec, &found);
  if (!status.ok() || found) return status;
  return Status::Error(equal && !after && !before ? errc::kRecordNotFound
                                                  : errc::kNoRecordInFilter);
}

Status Cursor::Next(Record& rec, int32_t steps, int32_t* moved) {
  *moved = 0;
  Status status = impl_->CheckRecord(rec);
  if (!status.ok()) return status;
  return impl_->Step(rec, steps, moved);
}

Status Cursor::Count(int32_t* count) {
  *count = 0;
  Status status = impl_->Check();
  if (!status.ok()) return status;
  int64_t total = 0;
  if (impl_->isVirtual) {
    total = impl_->db->FieldRows().Count(impl_->query);
  } else {
    status = impl_->db->storage->Count(impl_->query, &total);
  }
  *count = static_cast<int32_t>(std::min<int64_t>(total, INT32_MAX));
  return status;
}

// The database's write lock covers every table, so inside a write transaction the table is
// locked already; outside one the call only tells whether the lock could be had.
Status Cursor::LockTable(bool wait) {
  Status status = impl_->Check();
  if (!status.ok() || impl_->isVirtual || impl_->db->inWrite) return status;
  return impl_->db->storage->ProbeWriteLock(wait);
}

Status Cursor::Insert(const Record& rec) {
  Status status = impl_->WritableRecord(rec);
  if (!status.ok()) return status;
  Database::Impl& db = *impl_->db;
  return db.Write([&] {
    bool duplicate = false;
    Status result = db.storage->Insert(db.company, rec, &duplicate);
    if (result.ok() && duplicate) return Status::Error(errc::kRecordExists, impl_->table->name);
    return result;
  });
}

Status Cursor::InsertAll(std::span<const Record> records) {
  for (const Record& rec : records) {
    Status status = impl_->WritableRecord(rec);
    if (!status.ok()) return status;
  }
  Database::Impl& db = *impl_->db;
  return db.Write([&] { return db.storage->InsertAll(db.company, records); });
}

Status Cursor::Modify(const Record& rec) {
  Status status = impl_->WritableRecord(rec);
  if (!status.ok()) return status;
  Database::Impl& db = *impl_->db;
  return db.Write([&] {
    bool found = false;
    Status result = db.storage->Update(db.company, rec, &found);
    if (result.ok() && !found) return Status::Error(errc::kRecordNotFound, impl_->table->name);
    return result;
  });
}

Status Cursor::Delete(const Record& rec) {
  Status status = impl_->WritableRecord(rec);
  if (!status.ok()) return status;
  Database::Impl& db = *impl_->db;
  return db.Write([&] {
    bool found = false;
    Status result = db.storage->Delete(db.company, rec, &found);
    if (result.ok() && !found) return Status::Error(errc::kRecordNotFound, impl_->table->name);
    return result;
  });
}

Status Cursor::DeleteAll() {
  Status status = impl_->Check();
  if (!status.ok()) return status;
  if (impl_->isVirtual) return Status::Error(errc::kReadOnlyTable, impl_->table->name);
  Database::Impl& db = *impl_->db;
  return db.Write([&] { return db.storage->DeleteAll(impl_->query); });
}

Status Cursor::CalcFlowField(Record& rec, int32_t fieldNo) {
  Status status = impl_->CheckRecord(rec);
  if (!status.ok()) return status;
  const FieldDef* field = impl_->Field(fieldNo);
  if (field == nullptr) return Status::Error(errc::kUnknownField, std::to_string(fieldNo));
  auto flow = impl_->flowQueries.find(fieldNo);
  if (flow == impl_->flowQueries.end()) {
    Impl::FlowQuery made;
    status = impl_->MakeFlowQuery(*field, &made);
    if (!status.ok()) return status;
    flow = impl_->flowQueries.emplace(fieldNo, std::move(made)).first;
  }
  flow->second.TakeValues(rec);
  Database::Impl& db = *impl_->db;
  Value result;
  status =
      db.storage->Compute(flow->second.query, flow->second.aggregate, flow->second.summed, &result);
  if (!status.ok()) return status;
  Input input;
  if (result.type() == FieldType::kDecimal) input = result.decimal();
  if (result.type() == FieldType::kInteger) input = static_cast<int64_t>(result.integer());
  if (result.type() == FieldType::kBoolean) input = result.boolean();
  Value converted;
  status = ConvertInput(*field, input, &converted);
  if (!status.ok()) return status;
  const int index = rec.IndexOf(fieldNo);
  rec.at(static_cast<size_t>(index)) = std::move(converted);
  return Status();
}

}  // namespace dbclient
