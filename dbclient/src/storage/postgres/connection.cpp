#include "storage/postgres/connection.h"

#include <atomic>
#include <charconv>
#include <cstring>
#include <deque>
#include <filesystem>

#include "engine/decimal_sum.h"
#include "engine/text_util.h"
#include "error_codes.h"
#include "storage/sql_text.h"

namespace dbclient::postgres {
namespace {

std::atomic<uint64_t> round_trips{0};

void CountRoundTrip() noexcept { round_trips.fetch_add(1, std::memory_order_relaxed); }

bool Contains(const std::string& text, const char* part) {
  return text.find(part) != std::string::npos;
}

// libpq reports a failed log-in by text alone; the server's English messages tell the kinds
// apart, and anything unrecognised keeps the server's own words as the detail.
Status ConnectFailure(PGconn* connection) {
  std::string message = PQerrorMessage(connection);
  while (!message.empty() && (message.back() == '\n' || message.back() == ' ')) message.pop_back();
  if (PQconnectionNeedsPassword(connection) || Contains(message, "authentication failed") ||
      Contains(message, "no pg_hba.conf entry") || Contains(message, "no password supplied") ||
      (Contains(message, "role \"") && Contains(message, "does not exist"))) {
    return Status::Error(errc::kLoginFailed, message);
  }
  if (Contains(message, "database \"") && Contains(message, "does not exist")) {
    return Status::Error(errc::kServerDatabaseNotFound, message);
  }
  if (!Contains(message, "FATAL:")) return Status::Error(errc::kServerUnavailable, message);
  return Status::Error(errc::kStorageError, message);
}

}  // namespace

uint64_t RoundTrips() noexcept { return round_trips.load(std::memory_order_relaxed); }

void Parameters::Add(const Value& value) {
  switch (value.type()) {
    case FieldType::kText:
    case FieldType::kCode:
      return AddText(text::ToUtf8(value.text()));
    case FieldType::kDecimal: {
      char buffer[40];
      const auto end = std::to_chars(buffer, buffer + sizeof buffer, value.decimal()).ptr;
      return AddText(std::string(buffer, end));
    }
    case FieldType::kBoolean:
      return AddText(value.boolean() ? "t" : "f");
    case FieldType::kBlob:
      texts_.push_back(value.blob());
      binary_.push_back(1);
      return;
    default:
      return AddInteger(value.integer());
  }
}

void Parameters::AddInteger(int64_t value) { AddText(std::to_string(value)); }

void Parameters::AddText(std::string utf8) {
  refused_ = refused_ || utf8.find('\0') != std::string::npos;
  texts_.push_back(std::move(utf8));
  binary_.push_back(0);
}

int64_t Result::Integer(int row, int column) const {
  const std::string_view text = Text(row, column);
  int64_t value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

double DecimalFromText(std::string_view text) {
  // Up to 15 digits (below 2^53) and 15 decimals both the digits and the power of ten are
  // exact doubles, and their quotient is the correctly rounded value; the rest (longer
  // numbers, NaN) goes to from_chars.
  const bool negative = !text.empty() && text.front() == '-';
  uint64_t digits = 0;
  int count = 0;
  int decimals = -1;  // -1: no point yet
  for (size_t i = negative ? 1 : 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '.' && decimals < 0) {
      decimals = 0;
    } else if (c >= '0' && c <= '9' && count < 15) {
      digits = digits * 10 + static_cast<uint64_t>(c - '0');
      ++count;
      if (decimals >= 0) ++decimals;
    } else {
      count = 0;
      break;
    }
  }
  if (count == 0) {
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
  }
  const double value = static_cast<double>(digits) / kExactPowersOfTen[decimals < 0 ? 0 : decimals];
  return negative ? -value : value;
}

double Result::Decimal(int row, int column) const { return DecimalFromText(Text(row, column)); }

Value Result::Get(int row, int column, FieldType type) const {
  const std::string_view text = Text(row, column);
  switch (type) {
    case FieldType::kText:
      return Value::Text(text::FromUtf8(text));
    case FieldType::kCode:
      return Value::Code(text::FromUtf8(text));
    case FieldType::kDecimal:
      return Value::Decimal(Decimal(row, column));
    case FieldType::kBoolean:
      return Value::Boolean(text == "t");
    case FieldType::kBlob: {
      size_t size = 0;
      unsigned char* bytes =
          PQunescapeBytea(reinterpret_cast<const unsigned char*>(text.data()), &size);
      std::string blob(reinterpret_cast<const char*>(bytes), bytes == nullptr ? 0 : size);
      PQfreemem(bytes);
      return Value::Blob(std::move(blob));
    }
    case FieldType::kInteger:
      return Value::Integer(static_cast<int32_t>(Integer(row, column)));
    case FieldType::kOption:
      return Value::Option(static_cast<int32_t>(Integer(row, column)));
    case FieldType::kDate:
      return Value::Date(static_cast<int32_t>(Integer(row, column)));
    case FieldType::kTime:
      return Value::Time(static_cast<int32_t>(Integer(row, column)));
  }
  return Value(type);
}

void Result::ReadRecord(int row, Record* out) const {
  const std::vector<FieldDef>& fields = out->table().fields;
  int column = 0;
  for (size_t i = 0; i < fields.size(); ++i) {
    if (sql::IsStored(fields[i])) {
      ReadInto(row, column++, &out->at(i));
    } else {
      out->InitAt(i);
    }
  }
}

void Result::ReadInto(int row, int column, Value* value) const {
  switch (value->type()) {
    case FieldType::kText:
    case FieldType::kCode:
      value->AssignStoredUtf8(Text(row, column));
      return;
    case FieldType::kInteger:
    case FieldType::kOption:
    case FieldType::kDate:
    case FieldType::kTime:
      value->AssignStoredInteger(static_cast<int32_t>(Integer(row, column)));
      return;
    case FieldType::kBoolean:
      value->AssignStoredBoolean(Text(row, column) == "t");
      return;
    case FieldType::kDecimal:
      value->AssignStoredDecimal(Decimal(row, column));
      return;
    case FieldType::kBlob:
      *value = Get(row, column, FieldType::kBlob);
      return;
  }
}

int64_t Result::Changed() const {
  const char* text = PQcmdTuples(result_.get());
  int64_t value = 0;
  std::from_chars(text, text + std::strlen(text), value);
  return value;
}

Status Connection::Open(const ServerLogin& login, std::unique_ptr<Connection>* out) {
  const ServerAddress& address = login.address;
  const std::string port = std::to_string(address.port);
  std::vector<const char*> keys, values;
  std::deque<std::string> texts;  // stable addresses for values
  const auto set = [&](const char* key, std::string value) {
    if (value.empty()) return;
    keys.push_back(key);
    values.push_back(texts.emplace_back(std::move(value)).c_str());
  };
  // libpq takes a host that starts with a slash for a socket folder, anything else for a
  // host name.
  set("host", address.netType == NetType::kUnix && !address.host.starts_with('/')
                  ? std::filesystem::absolute(address.host).string()
                  : address.host);
  set("port", port);
  set("dbname", login.database);
  set("user", login.user);
  set("password", login.password);
  set("sslmode", address.netType == NetType::kTcps   ? "require"
                 : address.netType == NetType::kUnix ? "disable"
                                                     : "prefer");
  set("client_encoding", "UTF8");
  set("application_name", "Talmo");
  // A server that does not answer is an error within seconds, never a hang; a connection
  // whose peer vanished is noticed by the keepalives.
  set("connect_timeout", "10");
  set("keepalives", "1");
  set("keepalives_idle", "10");
  set("keepalives_interval", "5");
  set("keepalives_count", "3");
  if (address.netType != NetType::kUnix) set("tcp_user_timeout", "30000");
  keys.push_back(nullptr);
  values.push_back(nullptr);
  PGconn* connection = PQconnectdbParams(keys.data(), values.data(), 0);
  CountRoundTrip();
  if (connection == nullptr) return Status::Error(errc::kServerUnavailable, "out of memory");
  if (PQstatus(connection) != CONNECTION_OK) {
    Status failure = ConnectFailure(connection);
    PQfinish(connection);
    return failure;
  }
  out->reset(new Connection(connection));
  // Notices (e.g. "relation already exists, skipping") are not the user's business.
  PQsetNoticeProcessor(connection, [](void*, const char*) {}, nullptr);
  return Status();
}

Connection::~Connection() { PQfinish(connection_); }

bool Connection::broken() const { return givenUp_ || PQstatus(connection_) != CONNECTION_OK; }

bool Connection::inTransaction() const {
  return !broken() && PQtransactionStatus(connection_) != PQTRANS_IDLE;
}

bool Connection::transactionFailed() const {
  return !broken() && PQtransactionStatus(connection_) == PQTRANS_INERROR;
}

Status Connection::Check(const Result& result, const std::string& sql) {
  const PGresult* raw = result.get();
  const ExecStatusType status = raw == nullptr ? PGRES_FATAL_ERROR : PQresultStatus(raw);
  if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) return Status();
  std::string message = raw != nullptr ? PQresultErrorMessage(raw) : PQerrorMessage(connection_);
  while (!message.empty() && message.back() == '\n') message.pop_back();
  if (broken()) return Status::Error(errc::kConnectionLost, message);
  const char* state = raw != nullptr ? PQresultErrorField(raw, PG_DIAG_SQLSTATE) : nullptr;
  const std::string_view code = state != nullptr ? state : "";
  if (code == kWriteConflictState) return Status::Error(errc::kWriteConflict, message);
  if (code == "55P03" || code == "40001" || code == "40P01") {
    return Status::Error(errc::kLockTimeout, message);
  }
  if (code.starts_with("08") || code.starts_with("57P")) {
    return Status::Error(errc::kConnectionLost, message);
  }
  return Status::Error(errc::kStorageError, message + " [" + sql.substr(0, 200) + "]");
}

Status Connection::LostConnection() const {
  return Status::Error(errc::kConnectionLost, PQerrorMessage(connection_));
}

Status Connection::GiveUp() {
  givenUp_ = true;
  deferred_.clear();
  return LostConnection();
}

Status Connection::Run(const std::string& sql, Result* out) {
  Status status = Flush();
  if (!status.ok()) return status;
  if (broken()) return LostConnection();
  CountRoundTrip();
  Result result(PQexec(connection_, sql.c_str()));
  status = Check(result, sql);
  if (out != nullptr) *out = std::move(result);
  return status;
}

Status Connection::Query(const std::string& sql, const Parameters& parameters, Result* out) {
  const Request request{&sql, &parameters, true, out};
  return Exchange(&request);
}

Status Connection::QueryOnce(const std::string& sql, const Parameters& parameters, Result* out) {
  const Request request{&sql, &parameters, false, out};
  return Exchange(&request);
}

namespace {

Status Refused() {
  return Status::Error(errc::kStorageError, "a text holding U+0000 cannot be stored");
}

}  // namespace

Status Connection::Defer(const std::string& sql, Parameters parameters, Result* out) {
  if (parameters.refused_) return Refused();
  deferred_.push_back({sql, std::move(parameters), out});
  return deferred_.size() >= kMaxDeferred ? Flush() : Status();
}

Status Connection::Flush() { return deferred_.empty() ? Status() : Exchange(nullptr); }

Status Connection::Exchange(const Request* last) {
  if (last != nullptr && last->parameters->refused_) return Refused();
  if (broken()) {
    deferred_.clear();
    return LostConnection();
  }
  if (prepared_.size() >= kMaxPrepared) {
    CountRoundTrip();
    Status status = Check(Result(PQexec(connection_, "DEALLOCATE ALL")), "DEALLOCATE ALL");
    if (!status.ok()) return status;
    prepared_.clear();
  }
  std::vector<Request> requests;
  requests.reserve(deferred_.size() + 1);
  for (const Deferred& deferred : deferred_) {
    requests.push_back({&deferred.sql, &deferred.parameters, true, deferred.out});
  }
  if (last != nullptr) requests.push_back(*last);
  // One request of a prepared text goes the plain way; anything more through the pipeline.
  const Request& first = requests.front();
  const bool alone = requests.size() == 1 && (!first.prepared || prepared_.contains(*first.sql));
  Status status = alone ? ExchangeOne(first) : ExchangePipelined(requests);
  deferred_.clear();
  return status;
}

namespace {

// libpq's view of a statement's parameters.
struct Arguments {
  explicit Arguments(const std::vector<std::string>& texts)
      : values(texts.size()), lengths(texts.size()), count(static_cast<int>(texts.size())) {
    for (size_t i = 0; i < texts.size(); ++i) {
      values[i] = texts[i].data();
      lengths[i] = static_cast<int>(texts[i].size());
    }
  }
  std::vector<const char*> values;
  std::vector<int> lengths;
  int count;
};

}  // namespace

Status Connection::ExchangeOne(const Request& request) {
  const Arguments arguments(request.parameters->texts_);
  const int* binary = request.parameters->binary_.data();
  CountRoundTrip();
  Result result(request.prepared
                    ? PQexecPrepared(connection_, prepared_.at(*request.sql).c_str(),
                                     arguments.count, arguments.values.data(),
                                     arguments.lengths.data(), binary, 0)
                    : PQexecParams(connection_, request.sql->c_str(), arguments.count, nullptr,
                                   arguments.values.data(), arguments.lengths.data(), binary, 0));
  Status status = Check(result, *request.sql);
  if (request.out != nullptr) *request.out = std::move(result);
  return status;
}

Status Connection::ExchangePipelined(const std::vector<Request>& requests) {
  if (PQenterPipelineMode(connection_) != 1) return GiveUp();
  // The answers in the order they come: a request's, or the preparation of a text.
  struct Answer {
    const Request* request;
    const std::string* prepared;
  };
  std::vector<Answer> answers;
  bool sent = true;
  for (const Request& request : requests) {
    const Arguments arguments(request.parameters->texts_);
    const int* binary = request.parameters->binary_.data();
    if (!request.prepared) {
      sent = sent &&
             PQsendQueryParams(connection_, request.sql->c_str(), arguments.count, nullptr,
                               arguments.values.data(), arguments.lengths.data(), binary, 0) == 1;
      answers.push_back({&request, nullptr});
      continue;
    }
    auto it = prepared_.find(*request.sql);
    if (it == prepared_.end()) {
      it = prepared_.emplace(*request.sql, "t" + std::to_string(nextName_++)).first;
      sent = sent &&
             PQsendPrepare(connection_, it->second.c_str(), request.sql->c_str(), 0, nullptr) == 1;
      answers.push_back({nullptr, request.sql});
    }
    sent = sent &&
           PQsendQueryPrepared(connection_, it->second.c_str(), arguments.count,
                               arguments.values.data(), arguments.lengths.data(), binary, 0) == 1;
    answers.push_back({&request, nullptr});
  }
  sent = sent && PQpipelineSync(connection_) == 1;
  CountRoundTrip();
  if (!sent) return GiveUp();
  Status failure;
  for (const Answer& answer : answers) {
    Result result(PQgetResult(connection_));
    if (result.get() == nullptr) return GiveUp();
    while (PGresult* end = PQgetResult(connection_)) PQclear(end);
    const bool skipped = PQresultStatus(result.get()) == PGRES_PIPELINE_ABORTED;
    const std::string& sql = answer.request != nullptr ? *answer.request->sql : *answer.prepared;
    Status status = skipped ? Status() : Check(result, sql);
    if (answer.prepared != nullptr && (skipped || !status.ok())) {
      prepared_.erase(*answer.prepared);  // never made: prepared again when next used
    }
    if (failure.ok()) failure = std::move(status);
    if (answer.request != nullptr && answer.request->out != nullptr) {
      *answer.request->out = std::move(result);
    }
  }
  const Result sync(PQgetResult(connection_));
  if (PQresultStatus(sync.get()) != PGRES_PIPELINE_SYNC || PQexitPipelineMode(connection_) != 1) {
    return GiveUp();
  }
  return failure;
}

}  // namespace dbclient::postgres
