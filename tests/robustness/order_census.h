// The sales orders a database file holds, read with SQLite directly: it works on any file, one
// that a killed process left behind or a copy of the main file alone, and needs no client.
#pragma once

#include <map>
#include <string>

namespace talmo::testing {

struct OrderCensus {
  std::map<std::string, int> lines;  // document number of each sales order -> its lines
  int orphanLines = 0;               // sales order lines whose header is missing

  // Whether every order has `linesPerOrder` lines and no line lacks its order.
  bool Complete(int linesPerOrder) const;
};

// The census of the first company's sales orders (document type 1) in `file`.
OrderCensus TakeCensus(const std::string& file);

// What PRAGMA integrity_check answers for `file`: "ok" when it is sound.
std::string IntegrityCheck(const std::string& file);

}  // namespace talmo::testing
