// Members of the connection: switches, library folder, server, database, login, company,
// closing, write transactions, the last error and table names.
#include <string>

#include "automation/text.h"
#include "binding/client_failure.h"
#include "binding/members.h"
#include "error_codes.h"

namespace dbclient::binding {
namespace {

using automation::Variant;
using automation::VarType;

// 1: a Boolean property; put stores it, get reads it back.
Variant ErrorDisplay(Session& session, const CallArgs& args) {
  if (args.size() == 1) session.errorDisplay = args.Boolean(0);
  return Variant(session.errorDisplay);
}

// 2: False after creation, True before release.
Variant Releasing(Session& session, const CallArgs& args) {
  if (args.size() == 1) session.releasing = args.Boolean(0);
  return Variant(session.releasing);
}

// 76: where the client's own files live.
Variant LibraryFolder(Session& session, const CallArgs& args) {
  session.libraryFolder = args.String(0);
  return Variant();
}

// 7: server and network type (tcp, tcps or unix). Only remembered: the database (5) and the
// login (42) that follow complete the connection, which is made at 42, when the server can
// check the user. Closes an open database.
Variant ConnectServer(Session& session, const CallArgs& args) {
  const std::u16string server = args.String(0);
  const std::u16string netType = args.String(1);
  ServerLogin login;
  Check(ServerAddress::Parse(server, netType, &login.address));
  session.CloseDatabase();
  session.server = std::move(login);
  session.serverOptions = OpenOptions();
  return Variant();
}

// 5: database (a file, or a database name on the server of 7), page cache in KiB, commit
// cache (-1 on, 0 off; on when omitted).
Variant OpenDatabase(Session& session, const CallArgs& args) {
  const std::u16string name = args.String(0);
  const int32_t cache = args.Optional(1) ? args.Long(1) : 0;
  const bool commitCache = args.Optional(2) ? args.Boolean(2) : true;
  if (!session.server) {
    session.OpenDatabase(name, cache, commitCache);
    return Variant();
  }
  session.CloseDatabase();
  session.server->database = automation::ToUtf8(name);
  if (cache > 0) session.serverOptions.cacheKiB = cache;
  session.serverOptions.commitCache = commitCache;
  return Variant();
}

// 42: user and password; -1 when logged in. On a server this connects, logged in by the
// server's own authentication (without 5: to the user's default database).
Variant Login(Session& session, const CallArgs& args) {
  const std::u16string user = args.String(0);
  const std::u16string password = args.Optional(1) ? args.String(1) : std::u16string();
  if (session.server) {
    session.ConnectServer(user, password);
  } else {
    Check(session.database().Login(user, password));
  }
  return Variant(int32_t{-1});
}

Variant OpenCompany(Session& session, const CallArgs& args) {
  const std::u16string name = args.String(0);
  Check(session.database().OpenCompany(name));
  return Variant();
}

Variant CompanyName(Session& session, const CallArgs&) {
  Database& database = session.database();
  if (!database.companyOpen()) Fail(errc::kNoCompany);
  return Variant(database.companyName());
}

// 65, 10, 6: the closing steps. Each closes what is still open and is quiet when there is
// nothing to close, so a connection that failed half-way can still be shut down in order.
Variant CloseCompany(Session& session, const CallArgs&) {
  if (session.databaseOpen()) session.database().CloseCompany();
  return Variant();
}

Variant CloseDatabase(Session& session, const CallArgs&) {
  session.CloseDatabase();
  return Variant();
}

Variant CloseServer(Session& session, const CallArgs&) {
  session.CloseDatabase();
  session.server.reset();
  return Variant();
}

Variant BeginWrite(Session& session, const CallArgs&) {
  Check(session.database().BeginWrite());
  return Variant();
}

Variant Commit(Session& session, const CallArgs&) {
  Check(session.database().Commit());
  return Variant();
}

Variant Rollback(Session& session, const CallArgs&) {
  Check(session.database().Rollback());
  return Variant();
}

Variant SelectLatestVersion(Session& session, const CallArgs&) {
  session.database().SelectLatestVersion();
  return Variant();
}

// 45: reads the code without changing it (extra arguments are ignored, so no call on 45 can
// overwrite the code it is asked for).
Variant LastError(Session& session, const CallArgs&) { return Variant(session.lastError); }

// 12: the number of a table name; an unknown name is an error whose message names it.
Variant TableNumber(Session& session, const CallArgs& args) {
  const std::u16string name = args.String(0);
  int32_t tableNo = 0;
  Check(session.database().TableNoOfName(name, &tableNo));
  return Variant(tableNo);
}

constexpr VarType kNone = VarType::kEmpty;

constexpr MemberDef kMembers[] = {
    {1, u"ErrorDisplay", 0, 1, kNone, ErrorDisplay},
    {2, u"Releasing", 0, 1, kNone, Releasing},
    {76, u"LibraryFolder", 1, 1, kNone, LibraryFolder},
    {7, u"ConnectServer", 2, 2, kNone, ConnectServer},
    {5, u"OpenDatabase", 1, 3, kNone, OpenDatabase},
    {42, u"Login", 1, 2, VarType::kLong, Login},
    {9, u"OpenCompany", 1, 1, kNone, OpenCompany},
    {40, u"CompanyName", 0, 0, VarType::kString, CompanyName},
    {65, u"CloseCompany", 0, 0, kNone, CloseCompany},
    {10, u"CloseDatabase", 0, 0, kNone, CloseDatabase},
    {6, u"CloseServer", 0, 0, kNone, CloseServer},
    {36, u"BeginWriteTransaction", 0, 0, kNone, BeginWrite},
    {37, u"EndWriteTransaction", 0, 0, kNone, Commit},
    {38, u"AbortWriteTransaction", 0, 0, kNone, Rollback},
    {35, u"SelectLatestVersion", 0, 0, kNone, SelectLatestVersion},
    {kLastErrorMember, u"LastError", 0, 255, VarType::kLong, LastError},
    {12, u"TableNo", 1, 1, VarType::kLong, TableNumber},
};

}  // namespace

std::span<const MemberDef> ConnectionMembers() noexcept { return kMembers; }

}  // namespace dbclient::binding
