// Customers of the sample company. Their numbers run from 10000 in steps of 10, so they stay
// clear of the numbers the demo gives its own customers (3501 to 3599).
#include <string>

#include "../schema/application_tables.h"
#include "sample_parts.h"

namespace dbclient::sample {

using namespace dbclient::application;

namespace {

struct Surname {
  const char16_t* male;
  const char16_t* female;
  const char* ascii;  // for e-mail addresses
};

struct City {
  const char16_t* name;
  const char16_t* postCode;
  const char16_t* county;
};

// Where a customer sits decides its posting groups, currency and language.
struct Market {
  const char16_t* country;
  const char16_t* businessGroup;  // general and VAT business posting group
  const char16_t* customerGroup;
  const char16_t* currency;
  const char16_t* language;
  const char* vatPrefix;
};

constexpr Surname kCzechSurnames[] = {
    {u"Novák", u"Nováková", "novak"},
    {u"Svoboda", u"Svobodová", "svoboda"},
    {u"Novotný", u"Novotná", "novotny"},
    {u"Dvořák", u"Dvořáková", "dvorak"},
    {u"Černý", u"Černá", "cerny"},
    {u"Procházka", u"Procházková", "prochazka"},
    {u"Kučera", u"Kučerová", "kucera"},
    {u"Veselý", u"Veselá", "vesely"},
    {u"Horák", u"Horáková", "horak"},
    {u"Němec", u"Němcová", "nemec"},
    {u"Pospíšil", u"Pospíšilová", "pospisil"},
    {u"Pokorný", u"Pokorná", "pokorny"},
    {u"Hájek", u"Hájková", "hajek"},
    {u"Král", u"Králová", "kral"},
    {u"Jelínek", u"Jelínková", "jelinek"},
    {u"Růžička", u"Růžičková", "ruzicka"},
    {u"Beneš", u"Benešová", "benes"},
    {u"Fiala", u"Fialová", "fiala"},
    {u"Sedláček", u"Sedláčková", "sedlacek"},
    {u"Doležal", u"Doležalová", "dolezal"},
    {u"Zeman", u"Zemanová", "zeman"},
    {u"Kolář", u"Kolářová", "kolar"},
    {u"Navrátil", u"Navrátilová", "navratil"},
    {u"Čermák", u"Čermáková", "cermak"},
};
constexpr const char16_t* kCzechMaleNames[] = {
    u"Jan", u"Petr", u"Jiří", u"Pavel", u"Tomáš", u"Martin", u"Zdeněk", u"Karel",
};
constexpr const char16_t* kCzechFemaleNames[] = {
    u"Jana", u"Marie", u"Eva", u"Hana", u"Lenka", u"Věra", u"Lucie", u"Šárka",
};
constexpr const char16_t* kCzechTrades[] = {
    u"Stavebniny", u"Elektro",     u"Železářství",  u"Potraviny",      u"Autodíly",
    u"Nábytek",    u"Papírnictví", u"Zahradnictví", u"Instalatérství", u"Kovovýroba",
};
constexpr const char16_t* kCzechLegalForms[] = {u" s.r.o.", u" a.s.", u" v.o.s.", u""};
constexpr const char16_t* kCzechStreets[] = {
    u"Hlavní",     u"Nádražní", u"Školní",  u"Palackého", u"Husova",   u"Masarykova",
    u"Komenského", u"Tyršova",  u"Žižkova", u"Lipová",    u"Zahradní", u"Průmyslová",
};
constexpr City kCzechCities[] = {
    {u"Praha", u"110 00", u"Hlavní město Praha"},
    {u"Brno", u"602 00", u"Jihomoravský kraj"},
    {u"Ostrava", u"702 00", u"Moravskoslezský kraj"},
    {u"Plzeň", u"301 00", u"Plzeňský kraj"},
    {u"Liberec", u"460 01", u"Liberecký kraj"},
    {u"Olomouc", u"779 00", u"Olomoucký kraj"},
    {u"České Budějovice", u"370 01", u"Jihočeský kraj"},
    {u"Hradec Králové", u"500 02", u"Královéhradecký kraj"},
    {u"Pardubice", u"530 02", u"Pardubický kraj"},
    {u"Zlín", u"760 01", u"Zlínský kraj"},
    {u"Jihlava", u"586 01", u"Kraj Vysočina"},
};

constexpr Market kDomestic = {u"CZ", u"NATIONAL", u"DOMESTIC", u"", u"CSY", "CZ"};
constexpr Market kSlovakia = {u"SK", u"EU", u"FOREIGN", u"EUR", u"CSY", "SK"};
constexpr Market kGermany = {u"DE", u"EU", u"FOREIGN", u"EUR", u"DEU", "DE"};
constexpr Market kAustria = {u"AT", u"EU", u"FOREIGN", u"EUR", u"DEU", "ATU"};
constexpr Market kUnitedStates = {u"US", u"EXPORT", u"FOREIGN", u"USD", u"ENU", "US"};

struct ForeignCustomer {
  const Market* market;
  const char16_t* name;
  const char16_t* address;
  City city;
  const char16_t* contact;
  const char* mailDomain;
};

constexpr ForeignCustomer kForeignCustomers[] = {
    {&kSlovakia,
     u"Stavmat Slovakia s.r.o.",
     u"Mlynské nivy 12",
     {u"Bratislava", u"821 09", u""},
     u"Peter Kováč",
     "stavmat.sk"},
    {&kSlovakia,
     u"Tatra Obchod a.s.",
     u"Hlavná 8",
     {u"Košice", u"040 01", u""},
     u"Zuzana Horváthová",
     "tatraobchod.sk"},
    {&kGermany,
     u"Müller Baubedarf GmbH",
     u"Königstraße 41",
     {u"Dresden", u"01097", u"Sachsen"},
     u"Jürgen Müller",
     "mueller-baubedarf.de"},
    {&kGermany,
     u"Schmidt & Söhne KG",
     u"Lindenallee 5",
     {u"München", u"80331", u"Bayern"},
     u"Anna Schmidt",
     "schmidt-soehne.de"},
    {&kAustria,
     u"Wiener Werkzeug AG",
     u"Praterstraße 17",
     {u"Wien", u"1020", u""},
     u"Franz Gruber",
     "wienerwerkzeug.at"},
    {&kUnitedStates,
     u"Lakeside Supplies Inc.",
     u"233 S Wacker Dr",
     {u"Chicago", u"60606", u"IL"},
     u"Mary Johnson",
     "lakeside-supplies.com"},
};

std::u16string Digits(Random& random, int count) {
  std::u16string digits;
  for (int i = 0; i < count; ++i) digits += static_cast<char16_t>(u'0' + random.Below(10));
  return digits;
}

}  // namespace

std::u16string CustomerNumber(int index) { return Widen(std::to_string(10000 + 10 * index)); }

void FillCustomers(Database& db, Random& random) {
  TableWriter customers(db, kCustomerTable);
  constexpr int kForeignEvery = 20;  // one foreign customer in twenty
  int foreignIndex = 0;
  std::u16string previousNumber;
  for (int i = 0; i < kCustomerCount; ++i) {
    const std::u16string number = CustomerNumber(i);
    std::u16string name, address, contact, mail;
    City city{};
    const Market* market = &kDomestic;
    if (i % kForeignEvery == kForeignEvery - 1) {
      const ForeignCustomer& foreign =
          kForeignCustomers[foreignIndex++ % std::size(kForeignCustomers)];
      market = foreign.market;
      name = foreign.name;
      address = foreign.address;
      city = foreign.city;
      contact = foreign.contact;
      mail = u"office@" + Widen(foreign.mailDomain);
    } else {
      const Surname& surname = random.Pick(kCzechSurnames);
      name = std::u16string(random.Pick(kCzechTrades)) + u" " + surname.male +
             random.Pick(kCzechLegalForms);
      address = std::u16string(random.Pick(kCzechStreets)) + u" " +
                Widen(std::to_string(1 + random.Below(180)));
      city = random.Pick(kCzechCities);
      contact = random.OneIn(2)
                    ? std::u16string(random.Pick(kCzechMaleNames)) + u" " + surname.male
                    : std::u16string(random.Pick(kCzechFemaleNames)) + u" " + surname.female;
      mail = Widen(surname.ascii) + u"@" + Widen(surname.ascii) + u"-" + Widen(std::to_string(i)) +
             u".cz";
    }
    const std::u16string phone =
        u"+420 " + Digits(random, 3) + u" " + Digits(random, 3) + u" " + Digits(random, 3);
    const std::u16string vatNumber = Widen(market->vatPrefix) + Digits(random, 8);
    // Some customers are billed through the customer before them; every 25th is blocked.
    const std::u16string billTo = i % 17 == 16 ? previousNumber : std::u16string();
    const std::u16string name2 =
        i % 13 == 5 ? u"provozovna " + std::u16string(city.name) : std::u16string();
    const std::u16string address2 =
        i % 11 == 3 ? u"areál Jih, hala " + Digits(random, 1) : std::u16string();
    customers.Insert({{1, number},
                      {2, name},
                      {3, name},
                      {4, name2},
                      {5, address},
                      {6, address2},
                      {7, city.name},
                      {8, contact},
                      {9, phone},
                      {20, static_cast<double>(50000 * random.Below(5))},
                      {21, market->customerGroup},
                      {22, market->currency},
                      {24, market->language},
                      {26, int64_t{1 + i % 3}},
                      {35, market->country},
                      {39, i % 25 == 24},
                      {45, billTo},
                      {86, vatNumber},
                      {88, market->businessGroup},
                      {91, city.postCode},
                      {92, city.county},
                      {102, mail},
                      {110, market->businessGroup}});
    previousNumber = number;
  }
}

}  // namespace dbclient::sample
