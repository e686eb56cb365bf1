// `Database`: the automation class a client creates first. It owns the process's one
// connection (through the module `global` state) and hands out `Table` objects.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "automation/dispatch.h"
#include "automation/ref.h"
#include "automation/variant.h"
#include "session/library_usage.h"

namespace talmo {

class Table;

// GetStat selectors.
enum class nfStat : int32_t { SessionID = 1, TotalSessions = 2 };

// Stop requests recorded by Disconnect.
enum class nfDisconnect : int16_t { None = 0, stopNow = 1, StopNewUser = 2, StopIfZeroClient = 3 };

class Database final : public automation::DispatchObject {
 public:
  // Only CreateDatabase makes the key: the creation steps need the object to be owned by a
  // reference already, because they may release other objects whose release steps close
  // the connection.
  class CreationKey {
    CreationKey() = default;
    friend automation::Ref<Database> CreateDatabase();
  };
  explicit Database(CreationKey) {}

  // Folder of the client library; passed to the client when connecting and used to find
  // fin.etx.
  const std::u16string& NavisionPath() const noexcept { return navisionPath_; }
  void SetNavisionPath(std::u16string path) { navisionPath_ = std::move(path); }

  // Two lines: the component's name and version, then what it is.
  std::u16string About() const;
  // "major.minor.revision" of the component: "1.0.6".
  std::u16string Version() const;

  // Reads section "Database" of `iniFileName` (a bare name is looked up in the component's
  // folder), connects and opens the company. Returns at once when already connected with a
  // company open; 999 when connected without one.
  void AutoConnect(std::u16string_view iniFileName = u"Talmo.ini");
  // Opens the company (client member 9). Returns Empty.
  automation::Variant OpenCompany(std::u16string_view companyName);
  // The open company's name (client member 40).
  std::u16string CompanyName();

  // Write transactions and the latest-version switch: one guarded call each.
  void BWT();
  void EWT();
  void AWT();
  void SelectLatestVersion();

  // A new `Table` bound to the table given by number (Integer or Long) or name (String),
  // with the record-rule object of tables 18, 36 and 37 attached.
  automation::Ref<Table> AllocTable(const automation::Variant& id);
  // The table number of a number (returned as is, no call) or a name (client member 12);
  // 999 "ID tabulky musí být typu String nebo Long" for any other content.
  int32_t TableNo(const automation::Variant& tableVariant);
  // The text with its trailing number increased by 1 ("A0099" -> "A0100").
  std::u16string IncStr(std::u16string_view text);

  // The process-wide error-display flag.
  bool ViewErrors() const noexcept;
  void SetViewErrors(bool view) noexcept;

  // SessionID: this object's session number (Long); TotalSessions: the live Database
  // count (Integer); anything else: Empty.
  automation::Variant GetStat(int32_t statType) const;
  // stopNow closes the connection now; StopNewUser and StopIfZeroClient close it when the
  // last Database goes; None or another value changes nothing.
  void Disconnect(int32_t disconnectType);

  int32_t SessionNumber() const noexcept { return sessionNumber_; }
  // Takes this object out of the live session count: Main zeroes the counters after
  // creating the hidden Database, so its release must not count down either.
  void ExcludeFromSessionCount() noexcept { counted_ = false; }
  std::u16string ClassName() const override { return u"Database"; }

 protected:
  void InvokeMember(automation::DispId id, automation::InvokeKind kind,
                    std::span<automation::Variant> args, automation::Variant& result) override;
  std::span<const automation::MemberName> MemberNames() const noexcept override;

 private:
  friend automation::Ref<Database> CreateDatabase();
  // The creation steps; see CreateDatabase.
  void RunCreationSteps();
  // Release steps: count the session down and close the connection when a stop request is
  // recorded and this was the last Database.
  ~Database() override;

  void OpenConnection(std::u16string server, std::u16string netType, std::u16string database,
                      int32_t cache, bool commitCache, std::u16string userId,
                      std::u16string password);

  LiveObject live_;
  std::u16string navisionPath_;
  int32_t sessionNumber_ = 0;
  // Set once the creation steps completed (a refused creation has no release steps), cleared
  // for the hidden Database of Main.
  bool counted_ = false;
};

// A new Database after its creation steps: ViewErrors := False, NavisionPath := the
// component's folder, refusal with 999 "New connection is denied!" while StopNewUser is
// recorded, CurrentDatabase := the new object (the previous one may be released now), then
// the next session number. Raises 6 when a session counter would overflow.
automation::Ref<Database> CreateDatabase();

// Closes the connection: client members 65, 10 and 6, member 2 := True, the client is
// released, then IsConnected := False, CurrentDatabase := empty, DisconnectMode := None.
// Does nothing while not connected.
void CloseConnection();

}  // namespace talmo
