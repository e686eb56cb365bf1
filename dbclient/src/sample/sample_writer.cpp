// Helpers of the sample filler.
#include "sample_writer.h"

#include <cmath>

namespace dbclient::sample {

void Check(Status status) {
  if (!status.ok()) throw FillError(std::move(status));
}

namespace {

std::unique_ptr<Cursor> OpenCursor(Database& db, int32_t tableNo) {
  std::unique_ptr<Cursor> cursor;
  Check(db.OpenTable(tableNo, &cursor));
  return cursor;
}

}  // namespace

TableWriter::TableWriter(Database& db, int32_t tableNo)
    : cursor_(OpenCursor(db, tableNo)), record_(cursor_->NewRecord()) {}

void TableWriter::Insert(std::initializer_list<Cell> cells) {
  record_.Init();
  for (const Cell& cell : cells) {
    Status status = record_.Set(cell.field, cell.value);
    if (!status.ok()) {
      throw FillError(Status::Error(
          status.code(),
          cursor_->table().name + " field " + std::to_string(cell.field) + ": " + status.detail()));
    }
  }
  Check(cursor_->Insert(record_));
  ++count_;
}

double Random::Amount(double low, double high, int decimals) {
  const double scale = std::pow(10.0, decimals);
  const auto steps = static_cast<uint32_t>(std::llround((high - low) * scale)) + 1;
  return (std::llround(low * scale) + Below(steps)) / scale;
}

DateSerial Day(int year, int month, int day) {
  // Days from 1970-01-01 of a proleptic Gregorian date (H. Hinnant's days_from_civil).
  year -= month <= 2 ? 1 : 0;
  const int era = (year >= 0 ? year : year - 399) / 400;
  const int yearOfEra = year - era * 400;
  const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  const int fromUnixEpoch = era * 146097 + dayOfEra - 719468;
  constexpr int kUnixEpochSerial = 25569;  // 1970-01-01 as days since 1899-12-30
  return DateSerial{static_cast<double>(fromUnixEpoch + kUnixEpochSerial)};
}

std::u16string Widen(std::string_view ascii) { return std::u16string(ascii.begin(), ascii.end()); }

std::u16string Numbered(std::u16string_view prefix, int number, int width) {
  std::string digits = std::to_string(number);
  if (static_cast<int>(digits.size()) < width) digits.insert(0, width - digits.size(), '0');
  return std::u16string(prefix) + Widen(digits);
}

}  // namespace dbclient::sample
