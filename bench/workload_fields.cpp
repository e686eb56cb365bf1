// fields: Field get and put of each field type the application's tables use (Text, Code,
// Integer, Option, Date, Decimal, Boolean), on one record buffer of a sales line. The raw
// side moves the same values through SQLite's own value API: a put binds the value into the
// prepared INSERT of the record, a get reads the column of the stepped SELECT. Both sides
// then store the record and read it back: every field must hold the last value put, and the
// gets must have seen it.
#include <cmath>
#include <functional>
#include <random>

#include "automation/text.h"
#include "checksum.h"
#include "raw_sqlite.h"
#include "talmo_client.h"
#include "workload.h"

namespace talmo_bench {
namespace {

constexpr int32_t kSalesLineTable = 37;
constexpr int kValuesPerType = 16;

enum class Kind { kText, kCode, kInteger, kOption, kDate, kDecimal, kBoolean };

struct FieldCase {
  const char* typeName;
  int32_t field;
  Kind kind;
};

// Fields of the sales line that no key and no other field depends on.
constexpr FieldCase kCases[] = {{"Text", 11, Kind::kText},       {"Code", 8, Kind::kCode},
                                {"Integer", 64, Kind::kInteger}, {"Option", 77, Kind::kOption},
                                {"Date", 10, Kind::kDate},       {"Decimal", 15, Kind::kDecimal},
                                {"Boolean", 32, Kind::kBoolean}};

// The sample values of one case, in both sides' forms. Texts are ASCII, so a text and its
// UTF-8 form checksum alike.
struct CaseValues {
  std::vector<automation::Variant> talmo;
  std::vector<SqlValue> raw;
};

CaseValues ValuesOf(const FieldCase& c) {
  CaseValues values;
  for (int k = 0; k < kValuesPerType; ++k) {
    switch (c.kind) {
      case Kind::kText: {
        const std::string text = "Bench line " + std::to_string(k * 37);
        values.talmo.emplace_back(automation::FromUtf8(text));
        values.raw.emplace_back(text);
        break;
      }
      case Kind::kCode: {
        const std::string code = "GRP" + std::to_string(k);
        values.talmo.emplace_back(automation::FromUtf8(code));
        values.raw.emplace_back(code);
        break;
      }
      case Kind::kInteger:
        values.talmo.emplace_back(int32_t{k * 1001 - 5000});
        values.raw.emplace_back(int64_t{k * 1001 - 5000});
        break;
      case Kind::kOption:
        values.talmo.emplace_back(static_cast<int16_t>(k % 4));
        values.raw.emplace_back(int64_t{k % 4});
        break;
      case Kind::kDate:
        values.talmo.push_back(automation::Variant::Date(45000.0 + k));
        values.raw.emplace_back(int64_t{45000 + k});
        break;
      case Kind::kDecimal:
        values.talmo.emplace_back(k * 1.25 - 3.5);
        values.raw.emplace_back(k * 1.25 - 3.5);
        break;
      case Kind::kBoolean:
        values.talmo.emplace_back(k % 2 == 1);
        values.raw.emplace_back(int64_t{k % 2});
        break;
    }
  }
  return values;
}

void AddTalmo(Checksum& checksum, Kind kind, const automation::Variant& value) {
  switch (kind) {
    case Kind::kText:
    case Kind::kCode:
      checksum.AddText(value.ToString());
      break;
    case Kind::kDate:
      checksum.AddInteger(std::llround(value.ToDate()));
      break;
    case Kind::kDecimal:
      checksum.AddNumber(value.ToDouble());
      break;
    case Kind::kBoolean:
      checksum.AddInteger(value.ToBoolean() ? 1 : 0);
      break;
    default:
      checksum.AddInteger(value.ToLong());
  }
}

void AddRaw(Checksum& checksum, Kind kind, const SqlValue& value) {
  switch (kind) {
    case Kind::kText:
    case Kind::kCode:
      checksum.AddText(std::get<std::string>(value));
      break;
    case Kind::kDecimal:
      checksum.AddNumber(std::get<double>(value));
      break;
    default:
      checksum.AddInteger(std::get<int64_t>(value));
  }
}

struct CaseResult {
  SideResult put, get;
  Checksum gets;
  CallCounts beforePut{}, afterPut{}, beforeGet{}, afterGet{};  // Talmo side only
};

// Key of the record both sides store.
const automation::Variant kDocumentNo(u"BENCH");
constexpr int32_t kLineNo = 10000;

std::vector<CaseResult> RunTalmo(const std::filesystem::path& copy,
                                 const std::vector<CaseValues>& values,
                                 const std::vector<int>& sequence) {
  TalmoConnection talmo(ConnectionIniIn(copy));
  TalmoTable line = talmo.AllocTable(kSalesLineTable);
  ClientDiagnostics client;
  std::vector<CaseResult> results(std::size(kCases));
  for (size_t c = 0; c < std::size(kCases); ++c) {
    const int32_t field = kCases[c].field;
    results[c].beforePut = client.Snapshot();
    Stopwatch watch;
    for (int k : sequence) line.SetField(field, values[c].talmo[k]);
    results[c].put = {static_cast<int64_t>(sequence.size()), watch.Seconds()};
    results[c].afterPut = client.Snapshot();
  }
  // Untimed: every put of the sequence must be read back as put, not only the last one.
  for (size_t c = 0; c < std::size(kCases); ++c) {
    for (int k : sequence) {
      line.SetField(kCases[c].field, values[c].talmo[k]);
      Checksum put, read;
      AddRaw(put, kCases[c].kind, values[c].raw[k]);
      AddTalmo(read, kCases[c].kind, line.Field(kCases[c].field));
      Verify(put == read, std::string("fields: a ") + kCases[c].typeName +
                              " put was read back as another value");
    }
  }
  talmo.BeginWrite();
  line.SetField(1, int16_t{1});
  line.SetField(3, kDocumentNo);
  line.SetField(4, kLineNo);
  Verify(line.Insert(), "fields: Talmo did not insert the sales line");
  talmo.EndWrite();
  for (size_t c = 0; c < std::size(kCases); ++c) {
    const int32_t field = kCases[c].field;
    Checksum& gets = results[c].gets;
    results[c].beforeGet = client.Snapshot();
    Stopwatch watch;
    for (size_t r = 0; r < sequence.size(); ++r) AddTalmo(gets, kCases[c].kind, line.Field(field));
    results[c].get = {static_cast<int64_t>(sequence.size()), watch.Seconds()};
    results[c].afterGet = client.Snapshot();
  }
  return results;
}

std::vector<CaseResult> RunRaw(RawDatabase& raw, const std::vector<CaseValues>& values,
                               const std::vector<int>& sequence) {
  // The record's key and the fields put; every other column takes its initial value.
  std::vector<std::string> columns = {"f1", "f3", "f4"};
  for (const FieldCase& c : kCases) columns.push_back(ColumnName(c.field));
  Statement insert(raw, "INSERT INTO " + raw.Table(kSalesLineTable) + "(" + ColumnList(columns) +
                            ") VALUES(" + Markers(columns.size()) + ")");
  std::vector<CaseResult> results(std::size(kCases));
  for (size_t c = 0; c < std::size(kCases); ++c) {
    const int index = ColumnIndex(columns, kCases[c].field) + 1;
    Stopwatch watch;
    for (int k : sequence) insert.BindValue(index, values[c].raw[k]);
    results[c].put = {static_cast<int64_t>(sequence.size()), watch.Seconds()};
  }
  insert.Bind(ColumnIndex(columns, 1) + 1, int64_t{1});
  insert.Bind(ColumnIndex(columns, 3) + 1, std::string_view("BENCH"));
  insert.Bind(ColumnIndex(columns, 4) + 1, int64_t{kLineNo});
  raw.Exec("BEGIN IMMEDIATE");
  insert.Run();
  raw.Exec("COMMIT");

  Statement select(raw, "SELECT " + ColumnList(columns) + " FROM " + raw.Table(kSalesLineTable) +
                            " WHERE f1=1 AND f3='BENCH' AND f4=?");
  select.Bind(1, int64_t{kLineNo});
  Verify(select.Step(), "fields: SQLite did not store the sales line");
  for (size_t c = 0; c < std::size(kCases); ++c) {
    const int index = ColumnIndex(columns, kCases[c].field);
    const Kind kind = kCases[c].kind;
    Checksum& gets = results[c].gets;
    Stopwatch watch;
    for (size_t r = 0; r < sequence.size(); ++r) {
      if (kind == Kind::kText || kind == Kind::kCode) {
        gets.AddText(std::string(select.Text(index)));
      } else if (kind == Kind::kDecimal) {
        gets.AddNumber(select.Real(index));
      } else {
        gets.AddInteger(select.Integer(index));
      }
    }
    results[c].get = {static_cast<int64_t>(sequence.size()), watch.Seconds()};
  }
  return results;
}

// The stored sales line must hold the last value put into each field.
void CheckStored(RawDatabase& db, const std::vector<CaseValues>& values, int last,
                 const std::string& side) {
  for (size_t c = 0; c < std::size(kCases); ++c) {
    Statement select(db, "SELECT f" + std::to_string(kCases[c].field) + " FROM " +
                             db.Table(kSalesLineTable) + " WHERE f1=1 AND f3='BENCH' AND f4=?");
    select.Bind(1, int64_t{kLineNo});
    Verify(select.Step(), "fields: " + side + " stored no sales line");
    Checksum stored, expected;
    AddRaw(stored, kCases[c].kind, select.Value(0));
    AddRaw(expected, kCases[c].kind, values[c].raw[last]);
    Verify(stored == expected,
           "fields: " + side + " stored another " + kCases[c].typeName + " than the last one put");
  }
}

}  // namespace

std::vector<Measurement> RunFields(Context& context) {
  const BenchOptions& options = context.options;
  std::vector<CaseValues> values;
  for (const FieldCase& c : kCases) values.push_back(ValuesOf(c));
  std::mt19937 random(options.seed);
  std::vector<int> sequence(options.fieldRounds);
  for (int& k : sequence) k = static_cast<int>(random() % kValuesPerType);
  const int last = sequence.back();

  std::vector<Measurement> puts, gets;
  for (const FieldCase& c : kCases) {
    puts.emplace_back(std::string("field put ") + c.typeName);
    gets.emplace_back(std::string("field get ") + c.typeName);
  }
  for (int32_t round = 0; round < options.repeat; ++round) {
    const std::filesystem::path talmoCopy = context.environment.FreshCopy("fields-talmo");
    const std::vector<CaseResult> talmo = RunTalmo(talmoCopy, values, sequence);
    RawDatabase talmoWritten(DatabaseIn(talmoCopy));
    CheckStored(talmoWritten, values, last, "Talmo");

    const std::filesystem::path rawCopy = context.environment.FreshCopy("fields-raw");
    RawDatabase raw(DatabaseIn(rawCopy));
    const std::vector<CaseResult> rawSide = RunRaw(raw, values, sequence);
    CheckStored(raw, values, last, "SQLite");

    for (size_t c = 0; c < std::size(kCases); ++c) {
      Checksum expected;
      for (size_t r = 0; r < sequence.size(); ++r)
        AddRaw(expected, kCases[c].kind, values[c].raw[last]);
      Verify(talmo[c].gets == expected && rawSide[c].gets == expected,
             std::string("fields: a get of the ") + kCases[c].typeName +
                 " field read another value than the one stored");
      puts[c].SetClientCalls(talmo[c].beforePut, talmo[c].afterPut, options.fieldRounds);
      gets[c].SetClientCalls(talmo[c].beforeGet, talmo[c].afterGet, options.fieldRounds);
      KeepBest(puts[c].talmo, talmo[c].put);
      KeepBest(puts[c].raw, rawSide[c].put);
      KeepBest(gets[c].talmo, talmo[c].get);
      KeepBest(gets[c].raw, rawSide[c].get);
    }
  }
  std::vector<Measurement> rows = std::move(puts);
  for (Measurement& row : gets) rows.push_back(std::move(row));
  return rows;
}

}  // namespace talmo_bench
