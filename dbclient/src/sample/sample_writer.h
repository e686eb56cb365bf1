// Helpers of the sample filler: a table writer, a seeded random source and date numbers.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

#include "dbclient/engine.h"

namespace dbclient::sample {

// Carries a failed engine call out of the filling steps to FillSampleCompany, which turns it
// back into the Status it returns; it never leaves the sample filler.
class FillError : public std::runtime_error {
 public:
  explicit FillError(Status status)
      : std::runtime_error(status.ToString()), status_(std::move(status)) {}
  const Status& status() const noexcept { return status_; }

 private:
  Status status_;
};

// Throws FillError for a failed status.
void Check(Status status);

struct Cell {
  int32_t field;
  Input value;  // strings must outlive the Insert call they are passed to
};

// Inserts records into one table of the open company; a duplicate key or a value that does
// not fit its field is a fault of the sample data and fails the fill.
class TableWriter {
 public:
  TableWriter(Database& db, int32_t tableNo);

  // Inserts a record whose other fields keep their initial values.
  void Insert(std::initializer_list<Cell> cells);

  int32_t count() const noexcept { return count_; }

 private:
  std::unique_ptr<Cursor> cursor_;
  Record record_;
  int32_t count_ = 0;
};

// The random source of the sample. The generator's output is fixed by the language standard,
// and every draw below is plain arithmetic on it, so a seed gives the same company on every
// platform (the standard distributions do not promise that).
class Random {
 public:
  explicit Random(uint32_t seed) : engine_(seed) {}

  uint32_t Below(uint32_t bound) { return static_cast<uint32_t>(engine_() % bound); }
  bool OneIn(uint32_t n) { return Below(n) == 0; }
  // A number in [low, high] with the given number of decimals.
  double Amount(double low, double high, int decimals);

  template <typename T, size_t N>
  const T& Pick(const T (&items)[N]) {
    return items[Below(static_cast<uint32_t>(N))];
  }

 private:
  std::mt19937 engine_;
};

// The automation date of a calendar day (days since 1899-12-30).
DateSerial Day(int year, int month, int day);

// ASCII text as a field value (numbers, codes built from digits).
std::u16string Widen(std::string_view ascii);

// A code with a fixed-width number: Numbered(u"K", 7, 5) is K00007.
std::u16string Numbered(std::u16string_view prefix, int number, int width);

}  // namespace dbclient::sample
