// Look-ups in the schema model.
#include "dbclient/schema.h"

#include "dbclient/record.h"

#include <algorithm>
#include <utility>

namespace dbclient {
namespace {

// Names are matched without regard to ASCII letter case, as the application's users type
// them; other bytes (the UTF-8 of non-English letters) must match exactly.
bool SameName(std::string_view a, std::string_view b) noexcept {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return lower(x) == lower(y);
  });
}

template <typename Item>
const Item* FindByNumber(const std::vector<Item>& items, int32_t number) noexcept {
  auto it = std::lower_bound(items.begin(), items.end(), number,
                             [](const Item& item, int32_t n) { return item.number < n; });
  return it != items.end() && it->number == number ? &*it : nullptr;
}

template <typename Item>
const Item* FindByName(const std::vector<Item>& items, std::string_view name) noexcept {
  auto it = std::find_if(items.begin(), items.end(),
                         [name](const Item& item) { return SameName(item.name, name); });
  return it != items.end() ? &*it : nullptr;
}

template <typename Item>
void SortByNumber(std::vector<Item>& items) {
  std::stable_sort(items.begin(), items.end(),
                   [](const Item& a, const Item& b) { return a.number < b.number; });
}

}  // namespace

int TableDef::SearchIndexOf(int32_t fieldNo) const noexcept {
  const FieldDef* field = FindByNumber(fields, fieldNo);
  return field == nullptr ? -1 : static_cast<int>(field - fields.data());
}

const FieldDef* TableDef::FindField(int32_t fieldNo) const noexcept {
  const int index = IndexOf(fieldNo);
  return index < 0 ? nullptr : &fields[static_cast<size_t>(index)];
}

const FieldDef* TableDef::FindField(std::string_view fieldName) const noexcept {
  return FindByName(fields, fieldName);
}

Schema::Schema(int32_t version, std::vector<TableDef> tables)
    : version_(version), tables_(std::move(tables)) {
  SortByNumber(tables_);
  for (TableDef& table : tables_) {
    SortByNumber(table.fields);
    table.initialValues = std::make_shared<const std::vector<Value>>(InitialValues(table));
    // Most field numbers run to a few thousand; fields added for one installation sit at
    // 50000 and above. A table of positions up to kMaxTabulated costs at most 64 KiB per
    // table and answers a look-up in one read; the few numbers above it are searched for.
    constexpr int32_t kMaxTabulated = 32767;
    int32_t tabulated = 0;  // numbers 0 .. tabulated-1
    for (const FieldDef& field : table.fields) {
      if (field.number >= 0 && field.number <= kMaxTabulated) tabulated = field.number + 1;
    }
    table.positionOfNumber.assign(static_cast<size_t>(tabulated), -1);
    for (size_t i = 0; i < table.fields.size(); ++i) {
      const int32_t number = table.fields[i].number;
      if (number >= 0 && number < tabulated) {
        table.positionOfNumber[static_cast<size_t>(number)] = static_cast<int16_t>(i);
      }
    }
  }
}

const TableDef* Schema::FindTable(int32_t tableNo) const noexcept {
  return FindByNumber(tables_, tableNo);
}

const TableDef* Schema::FindTable(std::string_view tableName) const noexcept {
  return FindByName(tables_, tableName);
}

}  // namespace dbclient
