// Tests that run the same table under each of the regional settings we know.
#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "automation/regional_settings.h"

namespace talmo::testing {

inline constexpr automation::Region kRegions[] = {automation::Region::kEnglishUnitedStates,
                                                  automation::Region::kCzech};

// "enUS" or "csCZ", for test names.
inline std::string RegionTestName(automation::Region region) {
  return region == automation::Region::kCzech ? "csCZ" : "enUS";
}

// Uses the settings of `region` for the life of the scope, then the ones before again.
class RegionalScope {
 public:
  explicit RegionalScope(automation::Region region)
      : saved_(automation::CurrentRegionalSettings()) {
    automation::SetRegionalSettings(automation::SettingsOf(region));
  }
  ~RegionalScope() { automation::SetRegionalSettings(saved_); }
  RegionalScope(const RegionalScope&) = delete;
  RegionalScope& operator=(const RegionalScope&) = delete;

 private:
  automation::RegionalSettings saved_;
};

}  // namespace talmo::testing

namespace automation {

inline void PrintTo(Region region, std::ostream* os) {
  *os << talmo::testing::RegionTestName(region);
}

}  // namespace automation
