#include <algorithm>
#include <atomic>

#include "dbclient/engine.h"
#include "engine/database_impl.h"
#include "engine/field_table.h"
#include "engine/password.h"
#include "storage/postgres/storage.h"
#include "storage/sqlite/storage.h"
#include "engine/text_util.h"
#include "engine/watched_storage.h"
#include "error_codes.h"

namespace dbclient {

namespace {

constexpr size_t kMaxCompanyName = 30;

constinit std::atomic<StorageHook> storageHook{nullptr};

Status ValidCompanyName(std::u16string_view name) {
  if (name.empty() || name.size() > kMaxCompanyName || text::TrimBlanks(name) != name) {
    return Status::Error(errc::kInvalidName, text::ToUtf8(name));
  }
  for (char16_t c : name) {
    if (c < 0x20) return Status::Error(errc::kInvalidName, text::ToUtf8(name));
  }
  return Status();
}

}  // namespace

void SetStorageHookForTesting(StorageHook hook) noexcept { storageHook.store(hook); }

const TableDef* Database::Impl::FindTable(int32_t tableNo) const {
  if (tableNo == kFieldTableNo) return &FieldTableDef();
  const auto tables = schema->tables();
  const auto it =
      std::lower_bound(tables.begin(), tables.end(), tableNo,
                       [](const TableDef& table, int32_t number) { return table.number < number; });
  return it != tables.end() && it->number == tableNo ? &*it : nullptr;
}

const MemoryRows& Database::Impl::FieldRows() {
  if (fieldRows == nullptr) fieldRows = std::make_unique<MemoryRows>(FieldTableRows(*schema));
  return *fieldRows;
}

Status Database::Create(const std::string& path, const Schema& schema) {
  return sqlite::CreateDatabaseFile(path, schema);
}

Status Database::Open(const std::string& path, const OpenOptions& options, const Schema& schema,
                      std::unique_ptr<Database>* out) {
  std::unique_ptr<Storage> storage;
  Status status = sqlite::OpenStorage(path, options, schema, &storage);
  if (!status.ok()) return status;
  if (const StorageHook hook = storageHook.load()) storage = hook(std::move(storage));
  *out = OnStorage(std::move(storage), schema, options);
  return status;
}

Status Database::Connect(const ServerLogin& login, const OpenOptions& options,
                         const Schema& schema, std::unique_ptr<Database>* out) {
  std::unique_ptr<Storage> storage;
  Status status = postgres::OpenStorage(login, options, schema, &storage);
  if (!status.ok()) return status;
  if (const StorageHook hook = storageHook.load()) storage = hook(std::move(storage));
  *out = OnStorage(std::move(storage), schema, options);
  (*out)->impl_->loggedIn = true;  // the server checked the user
  return Status();
}

Status Database::CreateOnServer(const ServerLogin& login, const Schema& schema) {
  return postgres::CreateDatabase(login, schema);
}

std::unique_ptr<Database> Database::OnStorage(std::unique_ptr<Storage> storage,
                                              const Schema& schema, const OpenOptions& options) {
  auto impl = std::make_shared<Impl>();
  impl->schema = &schema;
  impl->storage = std::make_unique<WatchedStorage>(std::move(storage), options.snapshotLimit);
  return std::make_unique<Database>(PassKey{}, std::move(impl));
}

Database::Database(PassKey, std::shared_ptr<Impl> impl) : impl_(std::move(impl)) {}

Database::~Database() {
  if (impl_->inWrite) impl_->storage->Rollback();
  impl_->open = false;
  impl_->companyOpen = false;
  impl_->storage.reset();
}

const Schema& Database::schema() const noexcept { return *impl_->schema; }

Status Database::AddUser(std::u16string_view user, std::u16string_view password) {
  if (text::TrimBlanks(user).empty() || text::TrimBlanks(user) != user) {
    return Status::Error(errc::kInvalidName, text::ToUtf8(user));
  }
  UserEntry entry;
  Status status = password::Hash(password, &entry.passwordHash);
  if (!status.ok()) return status;
  return impl_->Write([&] { return impl_->storage->AddUser(user, entry); });
}

Status Database::RemoveUser(std::u16string_view user) {
  bool found = false;
  Status status = impl_->Write([&] { return impl_->storage->RemoveUser(user, &found); });
  if (status.ok() && !found) return Status::Error(errc::kUserNotFound, text::ToUtf8(user));
  return status;
}

Status Database::Users(std::vector<std::u16string>* names) {
  return impl_->storage->ListUsers(names);
}

// With no users defined every log-in is accepted (a database nobody has secured yet);
// otherwise the user must exist and the password match.
Status Database::Login(std::u16string_view user, std::u16string_view password) {
  impl_->loggedIn = false;
  int64_t users = 0;
  Status status = impl_->storage->CountUsers(&users);
  if (!status.ok()) return status;
  if (users > 0) {
    bool found = false;
    UserEntry entry;
    status = impl_->storage->FindUser(user, &found, &entry);
    if (!status.ok()) return status;
    if (!found || !password::Verify(entry.passwordHash, password)) {
      return Status::Error(errc::kLoginFailed, text::ToUtf8(user));
    }
  }
  impl_->loggedIn = true;
  return Status();
}

Status Database::CreateCompany(std::u16string_view name) {
  Status status = ValidCompanyName(name);
  if (!status.ok()) return status;
  std::vector<std::u16string> existing;
  status = Companies(&existing);
  if (!status.ok()) return status;
  for (const std::u16string& company : existing) {
    if (text::EqualsIgnoreCase(company, name)) {
      return Status::Error(errc::kCompanyExists, text::ToUtf8(name));
    }
  }
  int64_t id = 0;
  return impl_->Write([&] { return impl_->storage->CreateCompany(name, &id); });
}

Status Database::Companies(std::vector<std::u16string>* names) {
  std::vector<CompanyEntry> entries;
  Status status = impl_->storage->ListCompanies(&entries);
  if (!status.ok()) return status;
  names->clear();
  for (CompanyEntry& entry : entries) names->push_back(std::move(entry.name));
  return Status();
}

Status Database::OpenCompany(std::u16string_view name) {
  if (!impl_->loggedIn) return Status::Error(errc::kNotLoggedIn);
  std::vector<CompanyEntry> entries;
  Status status = impl_->storage->ListCompanies(&entries);
  if (!status.ok()) return status;
  const CompanyEntry* match = nullptr;
  for (const CompanyEntry& entry : entries) {
    if (entry.name == name) match = &entry;
  }
  for (const CompanyEntry& entry : entries) {
    if (match == nullptr && text::EqualsIgnoreCase(entry.name, name)) match = &entry;
  }
  if (match == nullptr) return Status::Error(errc::kCompanyNotFound, text::ToUtf8(name));
  CloseCompany();
  impl_->company = match->id;
  impl_->companyName = match->name;
  impl_->companyOpen = true;
  ++impl_->generation;
  return Status();
}

void Database::CloseCompany() {
  if (impl_->inWrite) Rollback();
  impl_->storage->EndReadSnapshot();
  impl_->companyOpen = false;
  impl_->companyName.clear();
  ++impl_->generation;
}

bool Database::companyOpen() const noexcept { return impl_->companyOpen; }
const std::u16string& Database::companyName() const noexcept { return impl_->companyName; }

Status Database::BeginWrite() {
  if (impl_->inWrite) return Status::Error(errc::kTransactionActive);
  Status status = impl_->storage->BeginWrite(true);
  impl_->inWrite = status.ok();
  return status;
}

Status Database::Commit() {
  if (!impl_->inWrite) return Status::Error(errc::kNoTransaction);
  impl_->inWrite = false;
  return impl_->storage->Commit();
}

Status Database::Rollback() {
  if (!impl_->inWrite) return Status::Error(errc::kNoTransaction);
  impl_->inWrite = false;
  return impl_->storage->Rollback();
}

bool Database::inWriteTransaction() const noexcept { return impl_->inWrite; }

void Database::SelectLatestVersion() {
  if (!impl_->inWrite) impl_->storage->EndReadSnapshot();
}

const TableDef* Database::FindTable(int32_t tableNo) const noexcept {
  return impl_->FindTable(tableNo);
}

Status Database::TableNoOfName(std::u16string_view name, int32_t* tableNo) const {
  const std::u16string wanted(text::TrimBlanks(name));
  for (const TableDef& table : impl_->schema->tables()) {
    if (table.number != kFieldTableNo &&
        text::EqualsIgnoreCase(text::FromUtf8(table.name), wanted)) {
      *tableNo = table.number;
      return Status();
    }
  }
  if (text::EqualsIgnoreCase(text::FromUtf8(FieldTableDef().name), wanted)) {
    *tableNo = kFieldTableNo;
    return Status();
  }
  return Status::Error(errc::kUnknownTableName, text::ToUtf8(name));
}

}  // namespace dbclient
