// Every error code the database client can raise, with its English and Czech message.
// One list (an X-macro) feeds the engine's constants, Status::ToString and the generated
// message files, so a code cannot exist without a message.
//
// X(name, module, number, English text, Czech text). The code is module * 65536 + number.
// The texts may hold the placeholders %10 (a table name) and %12 (a search method), which the
// component fills in; Czech texts use only the letters the message file's code page carries.
#pragma once

#include <cstdint>
#include <string_view>

#include "dbclient/status.h"

// clang-format off
#define DBCLIENT_ERROR_CODES(X) \
  /* Records */ \
  X(kRecordNotFound, 19, 1008, "The record does not exist.", "Záznam neexistuje.") \
  X(kRecordExists, 19, 1009, "The record already exists.", "Záznam již existuje.") \
  X(kNoRecordInFilter, 19, 1095, "There is no record within the filters.", \
    "V rozsahu filtrů není žádný záznam.") \
  /* Connection, users and companies */ \
  X(kServerUnavailable, 20, 1, "The database server cannot be reached.", \
    "Databázový server není dostupný.") \
  X(kDatabaseNotFound, 20, 2, "The database file does not exist.", "Soubor databáze neexistuje.") \
  X(kDatabaseOpenFailed, 20, 3, "The database file cannot be opened.", \
    "Soubor databáze nelze otevřít.") \
  X(kDatabaseExists, 20, 4, "The database file already exists.", "Soubor databáze již existuje.") \
  X(kNotADatabase, 20, 5, "The file is not a database of this client.", \
    "Soubor není databází tohoto klienta.") \
  X(kNoDatabase, 20, 6, "No database is open.", "Není otevřena žádná databáze.") \
  X(kLoginFailed, 20, 7, "The user name or password is not valid.", \
    "Jméno uživatele nebo heslo není platné.") \
  X(kNotLoggedIn, 20, 8, "Log in before opening a company.", "Před otevřením firmy se přihlaste.") \
  X(kUserExists, 20, 9, "The user already exists.", "Uživatel již existuje.") \
  X(kCompanyNotFound, 20, 10, "The company does not exist.", "Firma neexistuje.") \
  X(kCompanyExists, 20, 11, "The company already exists.", "Firma již existuje.") \
  X(kNoCompany, 20, 12, "No company is open.", "Není otevřena žádná firma.") \
  X(kInvalidName, 20, 13, "The name is not valid.", "Název není platný.") \
  X(kStorageError, 20, 14, "The database reported an error.", "Databáze ohlásila chybu.") \
  X(kUserNotFound, 20, 15, "The user does not exist.", "Uživatel neexistuje.") \
  /* Database servers */ \
  X(kUnknownNetType, 20, 20, "The network type is not known (tcp, tcps or unix).", \
    "Typ sítě není známý (tcp, tcps nebo unix).") \
  X(kBadServerAddress, 20, 21, "The server address is not valid.", "Adresa serveru není platná.") \
  X(kServerDatabaseNotFound, 20, 22, "The database does not exist on the server.", \
    "Databáze na serveru neexistuje.") \
  X(kServerDatabaseExists, 20, 23, "The database already exists on the server.", \
    "Databáze na serveru již existuje.") \
  X(kConnectionLost, 20, 24, "The connection to the database server was lost.", \
    "Spojení s databázovým serverem bylo přerušeno.") \
  X(kServerUsers, 20, 25, "Users of a server database are managed on the server.", \
    "Uživatele databáze na serveru spravuje server.") \
  X(kTransactionFailed, 20, 26, "The write transaction failed and was rolled back.", \
    "Zápisová transakce selhala a byla vrácena zpět.") \
  /* Schema and names */ \
  X(kSchemaNewer, 21, 1, "The database was written by a newer version of the application.", \
    "Databáze byla vytvořena novější verzí aplikace.") \
  X(kSchemaIncompatible, 21, 2, \
    "The database cannot be upgraded to this version of the application.", \
    "Databázi nelze převést na tuto verzi aplikace.") \
  X(kUnknownTableName, 21, 3, "The table %10 does not exist.", "Tabulka %10 neexistuje.") \
  X(kUnknownTable, 21, 4, "The table does not exist.", "Tabulka neexistuje.") \
  X(kUnknownFieldName, 21, 5, "The field does not exist in the table.", \
    "Pole v tabulce neexistuje.") \
  X(kUnknownField, 21, 6, "The field number does not exist in the table.", \
    "Číslo pole v tabulce neexistuje.") \
  X(kReadOnlyTable, 21, 7, "The table cannot be changed.", "Tabulku nelze měnit.") \
  X(kNotFlowField, 21, 8, "The field is not a calculated field.", "Pole není počítaným polem.") \
  X(kInvalidKey, 21, 9, "The fields are not a key of the table.", "Pole nejsou klíčem tabulky.") \
  /* Values and conversion */ \
  X(kTextTooLong, 22, 1, "The text is longer than the field allows.", \
    "Text je delší, než pole dovoluje.") \
  X(kBadOption, 22, 2, "The value is not an option of the field.", "Hodnota není volbou pole.") \
  X(kBadDate, 22, 3, "The value is not a valid date.", "Hodnota není platné datum.") \
  X(kBadTime, 22, 4, "The value is not a valid time.", "Hodnota není platný čas.") \
  X(kBadNumber, 22, 5, "The value is not a valid number.", "Hodnota není platné číslo.") \
  X(kNumberOutOfRange, 22, 6, "The number is outside the range of the field.", \
    "Číslo je mimo rozsah pole.") \
  X(kBadBoolean, 22, 7, "The value is not Yes or No.", "Hodnota není Ano ani Ne.") \
  X(kBadBlob, 22, 8, "The value cannot be stored as bytes.", "Hodnotu nelze uložit jako bajty.") \
  X(kTypeMismatch, 22, 9, "The value does not fit the type of the field.", \
    "Hodnota neodpovídá typu pole.") \
  X(kNulInText, 22, 10, "A text cannot hold the character NUL.", "Text nesmí obsahovat znak NUL.") \
  /* Filters */ \
  X(kMalformedFilter, 23, 1, "The filter expression is not valid.", "Výraz filtru není platný.") \
  X(kFilterOnFlowField, 23, 2, "A calculated field cannot be filtered.", \
    "Počítané pole nelze filtrovat.") \
  X(kWildcardNotAllowed, 23, 3, "Wildcards can only be used on Text and Code fields.", \
    "Zástupné znaky lze použít jen u polí typu Text a Code.") \
  X(kFilterTooDeep, 23, 4, "The filter expression nests parentheses too deeply.", \
    "Výraz filtru vnořuje závorky příliš hluboko.") \
  X(kTooManyFilterValues, 23, 5, "The filters hold too many values.", \
    "Filtry obsahují příliš mnoho hodnot.") \
  X(kPatternTooLong, 23, 6, "The wildcard pattern is too long.", \
    "Vzor se zástupnými znaky je příliš dlouhý.") \
  X(kNulInFilter, 23, 7, "A filter expression cannot hold the character NUL.", \
    "Výraz filtru nesmí obsahovat znak NUL.") \
  /* Searching */ \
  X(kBadSearchMethod, 24, 1, "The search method %12 is not valid.", \
    "Metoda hledání %12 není platná.") \
  /* Transactions and locks */ \
  X(kTransactionActive, 25, 1, "A write transaction is already open.", \
    "Zápisová transakce je již otevřena.") \
  X(kNoTransaction, 25, 2, "No write transaction is open.", \
    "Není otevřena žádná zápisová transakce.") \
  X(kLockTimeout, 25, 3, "Another user holds the database lock and the wait has run out.", \
    "Databázi uzamkl jiný uživatel a čekání vypršelo.") \
  X(kTableLocked, 25, 4, "Another user has locked the table.", "Tabulku uzamkl jiný uživatel.") \
  X(kWriteConflict, 25, 5, \
    "Another user changed the records this write transaction relied on; it was rolled back.", \
    "Jiný uživatel změnil záznamy, na nichž zápisová transakce stavěla; byla vrácena zpět.") \
  /* Handles */ \
  X(kUnknownHandle, 26, 1, "The handle is not valid.", "Identifikátor není platný.") \
  X(kWrongTable, 26, 2, "The record belongs to another table.", "Záznam patří jiné tabulce.") \
  X(kClosed, 26, 3, "The table was closed with its company or database.", \
    "Tabulka byla zavřena spolu s firmou nebo databází.") \
  X(kBadArgument, 26, 4, "The argument of the call is not valid.", \
    "Argument volání není platný.")
// clang-format on

namespace dbclient::errc {

#define DBCLIENT_ERROR_CONSTANT(name, module, number, english, czech) \
  inline constexpr int32_t name = (module)*65536 + (number);
DBCLIENT_ERROR_CODES(DBCLIENT_ERROR_CONSTANT)
#undef DBCLIENT_ERROR_CONSTANT

static_assert(kRecordNotFound == kCodeRecordNotFound);
static_assert(kRecordExists == kCodeRecordExists);
static_assert(kNoRecordInFilter == kCodeNoRecordInFilter);

struct ErrorInfo {
  int32_t code;
  int32_t module;
  int32_t number;
  std::string_view name;
  std::string_view english;  // UTF-8
  std::string_view czech;    // UTF-8
};

inline constexpr ErrorInfo kAll[] = {
#define DBCLIENT_ERROR_INFO(name, module, number, english, czech) \
  {(module)*65536 + (number), module, number, #name, english, czech},
    DBCLIENT_ERROR_CODES(DBCLIENT_ERROR_INFO)
#undef DBCLIENT_ERROR_INFO
};

// The catalogue entry of a code, or nullptr.
constexpr const ErrorInfo* Find(int32_t code) {
  for (const ErrorInfo& info : kAll) {
    if (info.code == code) return &info;
  }
  return nullptr;
}

}  // namespace dbclient::errc
