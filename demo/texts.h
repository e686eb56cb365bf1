// The texts the demo shows: window and control captions, log lines and its own errors.
#pragma once

#include <string_view>

namespace talmo_demo::texts {

inline constexpr std::u16string_view kWindowCaption = u"Demonstrace ActiveX komponenty Talmo";
inline constexpr std::u16string_view kConnect = u"Connect";
inline constexpr std::u16string_view kDisconnect = u"Disconnect";
inline constexpr std::u16string_view kPokus = u"Pokus";
inline constexpr std::u16string_view kTest = u"Test";

inline constexpr std::u16string_view kNewLine = u"\r\n";
inline constexpr std::u16string_view kConnected = u"Connected\r\n";
inline constexpr std::u16string_view kSessionId = u"    SessionID: ";
inline constexpr std::u16string_view kTotalSessions = u"TotalSessions: ";
inline constexpr std::u16string_view kStart = u"Start: ";
inline constexpr std::u16string_view kOrderMark = u"*";
inline constexpr std::u16string_view kEnd = u"  End: ";
inline constexpr std::u16string_view kDuration = u" Doba: ";
inline constexpr std::u16string_view kPerOrder = u"Rychl: ";

inline constexpr std::u16string_view kProgramName = u"TalmoDemo";
inline constexpr std::u16string_view kErrorSource = u"TalmoDemo";
inline constexpr std::u16string_view kNoItems = u"No Items";
inline constexpr std::u16string_view kInsertRefused = u" could not be inserted";
// The platform's report of an unhandled error: "Run-time error '999':" and the description.
inline constexpr std::u16string_view kRunTimeError = u"Run-time error '";

inline constexpr std::u16string_view kDemoIniFile = u"TalmoDemo.ini";
inline constexpr std::u16string_view kConnectionIniFile = u"Talmo.ini";
inline constexpr std::u16string_view kCountersSection = u"Counters";
inline constexpr std::u16string_view kLastItemInventoryKey = u"LastItemInventory";

}  // namespace talmo_demo::texts
