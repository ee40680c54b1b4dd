#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <set>

#include "Utility/ConstTag.hpp"

using namespace ekyc;

namespace {

using TagList = ConstTag::TagList;

TagList join(std::initializer_list<TagList> parts) {
  TagList all;
  for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

bool isUpperHexTag(const std::string& tag) {
  return (tag.size() == 2 || tag.size() == 4) &&
         std::all_of(tag.begin(), tag.end(), [](char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); });
}

}  // namespace

TEST(ConstTag, EveryTagIsUpperCaseHex) {
  ConstTag t;
  const TagList everything = join({t.BASIC_P_INFO_CERT, t.MYNUMBER_INFO, t.MYNUMBER, t.MYNUMBER_HASH,
                                   t.BASIC_PERSONAL_INFO, t.CARD_PRINT_INFO, t.COMMON_DATA, t.LISENCE_ENTRIES, t.RFU,
                                   t.REGISTERED_DOMICILE, t.PHOTO, t.EXTERNAL_CHARACTER, t.EXTERNAL_CHARACTER_KEY,
                                   t.CHANGED_LICENSE_ENTRIES, t.CHANGED_EXTERNAL_CHARACTERS,
                                   t.CHANGED_EXTERNAL_CHARACTER_KEY, t.CHANGED_REGISTERED_DOMICILE, t.SIGNATURES,
                                   t.MYNA_DRIVER_LICENSE_ENTRIES, t.MYNA_DRIVER_LICENSE_SIGNATURES,
                                   t.RESIDENCE_CARD_COMMON_DATA, t.RESIDENCE_CARD_CARD_TYPE,
                                   t.RESIDENCE_CARD_CARD_ENTRIES, t.RESIDENCE_CARD_PHOTO, t.RESIDENCE_CARD_ADDRESSES,
                                   t.RESIDENCE_CARD_COMPREHENSIVE_PERMISSION, t.RESIDENCE_CARD_INDIVIDUAL_PERMISSION,
                                   t.RESIDENCE_CARD_UPDATE_STATUS, t.RESIDENCE_CARD_SIGNATURES});
  for (const auto& tag : everything) EXPECT_TRUE(isUpperHexTag(tag)) << tag;
}
