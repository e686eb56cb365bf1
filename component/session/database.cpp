#include "session/database.h"

#include <limits>
#include <string>
#include <utility>

#include "automation/automation_error.h"
#include "automation/text.h"
#include "errors/component_error.h"
#include "records/table.h"
#include "rules/entry_factory.h"
#include "session/db_client.h"
#include "session/global.h"
#include "session/shared_utilities.h"

namespace talmo {
namespace {

using automation::Variant;

// Client members of the connection, the company and the transactions.
constexpr automation::DispId kOpenServer = 7;
constexpr automation::DispId kOpenDatabase = 5;
constexpr automation::DispId kOpenCompanyMember = 9;
constexpr automation::DispId kCloseCompany = 65;
constexpr automation::DispId kCloseDatabase = 10;
constexpr automation::DispId kCloseServer = 6;
constexpr automation::DispId kLibraryFolder = 76;
constexpr automation::DispId kLogin = 42;
constexpr automation::DispId kCompanyNameMember = 40;
constexpr automation::DispId kBeginWrite = 36;
constexpr automation::DispId kEndWrite = 37;
constexpr automation::DispId kAbortWrite = 38;
constexpr automation::DispId kLatestVersion = 35;
constexpr automation::DispId kTableNumberOfName = 12;

constexpr int32_t kDefaultCache = 10000;
constexpr std::u16string_view kIniSection = u"Database";

// True for "A..", "T..", "Y.." (ano, true, yes) in either case and for the empty value.
bool ReadsAsTrue(std::u16string_view value) {
  if (value.empty()) return true;
  char16_t first = value.front();
  if (first >= u'a' && first <= u'z') first = static_cast<char16_t>(first - u'a' + u'A');
  return first == u'A' || first == u'T' || first == u'Y';
}

}  // namespace

automation::Ref<Database> CreateDatabase() {
  automation::Ref<Database> database = automation::MakeRef<Database>(Database::CreationKey{});
  database->RunCreationSteps();
  return database;
}

void Database::RunCreationSteps() {
  talmo::SetViewErrors(false);
  navisionPath_ = ComponentFolder();
  if (global::DisconnectMode() == nfDisconnect::StopNewUser) {
    RaiseComponentError(u"New connection is denied!");
  }
  global::SetCurrentDatabase(automation::Ref<Database>(this));
  const int32_t counter = global::SessionCounter();
  if (counter == std::numeric_limits<int32_t>::max()) {
    automation::RaiseStandard(automation::error::kOverflow);
  }
  global::SetSessionCounter(counter + 1);
  sessionNumber_ = counter + 1;
  const int16_t count = global::SessionCount();
  if (count == std::numeric_limits<int16_t>::max()) {
    automation::RaiseStandard(automation::error::kOverflow);
  }
  global::SetSessionCount(static_cast<int16_t>(count + 1));
  counted_ = true;
}

Database::~Database() {
  if (!counted_) return;
  // A release cannot report an error: one raised here ends the release steps, as it would
  // end any other procedure.
  try {
    const int16_t count = global::SessionCount();
    if (count == std::numeric_limits<int16_t>::min()) {
      automation::RaiseStandard(automation::error::kOverflow);
    }
    global::SetSessionCount(static_cast<int16_t>(count - 1));
    if (global::DisconnectMode() != nfDisconnect::None && global::SessionCount() <= 0) {
      CloseConnection();
      global::SetSessionCounter(0);
      global::SetSessionCount(0);
    }
  } catch (...) {
  }
}

std::u16string Database::About() const {
  return u"Talmo " + Version() +
         u"\r\nRecord-level access to a Navision Financials database through its client";
}

std::u16string Database::Version() const {
  return automation::FromUtf8(std::to_string(TALMO_VERSION_MAJOR) + "." +
                              std::to_string(TALMO_VERSION_MINOR) + "." +
                              std::to_string(TALMO_VERSION_PATCH));
}

void Database::AutoConnect(std::u16string_view iniFileName) {
  if (IsConnected()) {
    try {
      if (!CompanyName().empty()) return;
    } catch (const automation::AutomationError&) {
      // Connected without a usable company: OpenConnection below reports the one-connection
      // rule.
    }
  }
  clsIniFile& ini = SharedIniFile();
  ini.SetFileName(iniFileName);
  auto read = [&ini](std::u16string_view key) { return ini.LoadFromINI(kIniSection, key, false); };
  navisionPath_ = read(u"LibPath");
  std::u16string userId = read(u"UserID");
  std::u16string password = read(u"Password");
  std::u16string server = read(u"Server");
  std::u16string netType = read(u"NetType");
  std::u16string database = read(u"Database");
  int32_t cache = Variant(u"0" + read(u"Cache")).ToLong();
  const std::u16string companyName = read(u"CompanyName");
  if (cache == 0) cache = kDefaultCache;
  const bool commitCache = ReadsAsTrue(read(u"CommitCache"));
  OpenConnection(std::move(server), std::move(netType), std::move(database), cache, commitCache,
                 std::move(userId), std::move(password));
  OpenCompany(companyName);
}

void Database::OpenConnection(std::u16string server, std::u16string netType,
                              std::u16string database, int32_t cache, bool commitCache,
                              std::u16string userId, std::u16string password) {
  if (IsConnected()) {
    RaiseComponentError(u"K Navision Financials se lze pomocí Talmo připojit pouze jednou!");
  }
  SetDbClient(CreateDbClient());
  PutClientFlag(client_member::kLifecycle, false);
  GuardOn();
  Variant libraryFolder(navisionPath_);
  Call(kLibraryFolder, Variant::ByRef(&libraryFolder));
  navisionPath_ = libraryFolder.ToString();
  if (!netType.empty()) {
    Variant serverArg(std::move(server));
    Variant netTypeArg(std::move(netType));
    Call(kOpenServer, Variant::ByRef(&serverArg), Variant::ByRef(&netTypeArg));
  }
  if (!database.empty()) {
    Variant databaseArg(std::move(database));
    Variant cacheArg(cache);
    Call(kOpenDatabase, Variant::ByRef(&databaseArg), Variant::ByRef(&cacheArg),
         int32_t{commitCache ? -1 : 0});
  }
  Variant userArg(std::move(userId));
  Variant passwordArg(std::move(password));
  Call(kLogin, Variant::ByRef(&userArg), Variant::ByRef(&passwordArg)).ToDouble();
  GuardOff();
  SetIsConnected(true);
}

void CloseConnection() {
  if (!IsConnected()) return;
  GuardOn();
  Call(kCloseCompany);
  Call(kCloseDatabase);
  Call(kCloseServer);
  PutClientFlag(client_member::kLifecycle, true);
  SetDbClient(nullptr);
  SetIsConnected(false);
  global::SetCurrentDatabase(nullptr);
  global::SetDisconnectMode(nfDisconnect::None);
}

Variant Database::OpenCompany(std::u16string_view companyName) {
  Variant company(companyName);
  GuardedCall({}, kOpenCompanyMember, Variant::ByRef(&company));
  return Variant();
}

std::u16string Database::CompanyName() { return GuardedCall({}, kCompanyNameMember).ToString(); }

void Database::BWT() { GuardedCall({}, kBeginWrite); }
void Database::EWT() { GuardedCall({}, kEndWrite); }
void Database::AWT() { GuardedCall({}, kAbortWrite); }
void Database::SelectLatestVersion() { GuardedCall({}, kLatestVersion); }

int32_t Database::TableNo(const Variant& tableVariant) {
  switch (tableVariant.type()) {
    case automation::VarType::kInteger:
    case automation::VarType::kLong:
      return tableVariant.ToLong();
    case automation::VarType::kString: {
      std::u16string name = tableVariant.ToString();
      // The client's message for an unknown name shows it through %10.
      const std::u16string substitution = u"10;" + name;
      const std::u16string_view directives[] = {substitution};
      return GuardedCall(directives, kTableNumberOfName, Variant(std::move(name))).ToLong();
    }
    default:
      RaiseComponentError(u"ID tabulky musí být typu String nebo Long");
  }
}

automation::Ref<Table> Database::AllocTable(const Variant& id) {
  const int32_t tableNo = TableNo(id);
  automation::Ref<Table> table = automation::MakeRef<Table>();
  table->Alloc(tableNo);
  table->SetEntryProcess(CreateEntryProcess(tableNo));
  if (const automation::Ref<automation::Dispatch>& rules = table->EntryProcess()) {
    automation::PutPropertyRef(rules.get(), automation::GetDispId(rules.get(), u"Rec"),
                               automation::Ref<automation::Dispatch>(table));
  }
  return table;
}

std::u16string Database::IncStr(std::u16string_view text) {
  return SharedString().IncrementNumber(text, 1);
}

bool Database::ViewErrors() const noexcept { return talmo::ViewErrors(); }
void Database::SetViewErrors(bool view) noexcept { talmo::SetViewErrors(view); }

Variant Database::GetStat(int32_t statType) const {
  switch (statType) {
    case static_cast<int32_t>(nfStat::SessionID):
      return Variant(sessionNumber_);
    case static_cast<int32_t>(nfStat::TotalSessions):
      return Variant(global::SessionCount());
    default:
      return Variant();
  }
}

void Database::Disconnect(int32_t disconnectType) {
  // Closing empties CurrentDatabase, which may hold the last reference to this very object.
  const automation::Ref<Database> self(this);
  switch (disconnectType) {
    case static_cast<int32_t>(nfDisconnect::stopNow):
      CloseConnection();
      global::SetDisconnectMode(nfDisconnect::stopNow);
      break;
    case static_cast<int32_t>(nfDisconnect::StopNewUser):
      global::SetDisconnectMode(nfDisconnect::StopNewUser);
      break;
    case static_cast<int32_t>(nfDisconnect::StopIfZeroClient):
      global::SetDisconnectMode(nfDisconnect::StopIfZeroClient);
      break;
    default:
      break;
  }
}

}  // namespace talmo
