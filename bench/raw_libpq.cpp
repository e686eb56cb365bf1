#include "raw_libpq.h"

#include <charconv>
#include <stdexcept>

#include "environment.h"
#include "automation/text.h"

namespace talmo_bench {

double RawResult::Number(int row, int column) const {
  const std::string_view text = Text(row, column);
  double value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

RawServer::RawServer(const std::string& conninfo) : connection_(PQconnectdb(conninfo.c_str())) {
  if (PQstatus(connection_) != CONNECTION_OK) {
    const std::string message = PQerrorMessage(connection_);
    PQfinish(connection_);
    throw std::runtime_error("libpq: " + message);
  }
  Prepare("company", "SELECT id FROM talmo_companies WHERE name = $1");
  RawResult company = Run("company", {automation::ToUtf8(SampleCompany())});
  if (company.rows() != 1) throw std::runtime_error("libpq: no sample company");
  company_ = std::stoll(std::string(company.Text(0, 0)));
}

RawServer::~RawServer() { PQfinish(connection_); }

RawResult RawServer::Checked(PGresult* raw, std::string_view what) {
  RawResult result(raw);
  const ExecStatusType status = PQresultStatus(raw);
  if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
    throw std::runtime_error("libpq: " + std::string(what) + ": " + PQresultErrorMessage(raw));
  }
  return result;
}

RawResult RawServer::Exec(const std::string& sql) { return Checked(PQexec(connection_, sql.c_str()), sql); }

void RawServer::Prepare(const std::string& name, const std::string& sql) {
  Checked(PQprepare(connection_, name.c_str(), sql.c_str(), 0, nullptr), sql);
}

RawResult RawServer::Run(const std::string& name, const std::vector<std::string>& parameters) {
  std::vector<const char*> values;
  for (const std::string& parameter : parameters) values.push_back(parameter.c_str());
  return Checked(PQexecPrepared(connection_, name.c_str(), static_cast<int>(values.size()),
                                values.data(), nullptr, nullptr, 0),
                 name);
}

std::string RawServer::Table(int32_t tableNo) const {
  return "c" + std::to_string(company_) + "_t" + std::to_string(tableNo);
}

std::vector<std::string> RawServer::Columns(int32_t tableNo) {
  RawResult result = Exec(
      "SELECT column_name FROM information_schema.columns WHERE table_name = '" +
      Table(tableNo) + "' ORDER BY ordinal_position");
  std::vector<std::string> columns;
  for (int row = 0; row < result.rows(); ++row) columns.emplace_back(result.Text(row, 0));
  return columns;
}

}  // namespace talmo_bench
