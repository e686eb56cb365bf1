#include "value_locale.h"

namespace automation {

const ValueLocale& CurrentValueLocale() noexcept {
  static constexpr ValueLocale kEnglishUnitedStates{
      u'.',
      u',',
      u"$",
      u'/',
      DateOrder::kMonthDayYear,
      u':',
      u"AM",
      u"PM",
      {u"January", u"February", u"March", u"April", u"May", u"June", u"July", u"August",
       u"September", u"October", u"November", u"December"},
      {u"Jan", u"Feb", u"Mar", u"Apr", u"May", u"Jun", u"Jul", u"Aug", u"Sep", u"Oct", u"Nov",
       u"Dec"},
      {u"Sunday", u"Monday", u"Tuesday", u"Wednesday", u"Thursday", u"Friday", u"Saturday"},
      {u"Sun", u"Mon", u"Tue", u"Wed", u"Thu", u"Fri", u"Sat"},
  };
  return kEnglishUnitedStates;
}

}  // namespace automation
