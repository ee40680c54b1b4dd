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

unsigned value(const std::string& tag) { return static_cast<unsigned>(std::stoul(tag, nullptr, 16)); }

bool isUpperHexTag(const std::string& tag) {
  return (tag.size() == 2 || tag.size() == 4) &&
         std::all_of(tag.begin(), tag.end(), [](char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); });
}

bool strictlyAscending(const TagList& tags) {
  for (std::size_t i = 1; i < tags.size(); ++i)
    if (value(tags[i]) != value(tags[i - 1]) + 1) return false;
  return true;
}

}  // namespace

TEST(ConstTag, LicenceEntriesAreThirtyFiveTagsFrom11To33) {
  ConstTag t;
  ASSERT_EQ(t.LISENCE_ENTRIES.size(), 35u);
  EXPECT_EQ(t.LISENCE_ENTRIES.front(), "11");
  EXPECT_EQ(t.LISENCE_ENTRIES.back(), "33");
  EXPECT_TRUE(strictlyAscending(t.LISENCE_ENTRIES));
  EXPECT_EQ(t.CATEGORIES.size(), 18u);
  EXPECT_EQ(t.CONDITIONS, (TagList{"1C", "1D", "1E", "1F"}));
  // The named items and groups cover the entries file exactly, in order.
  EXPECT_EQ(join({{t.JISX0208YEAR, t.COMMON_NAME, t.KANA, t.ALIAS_NAME, t.CALL_NAME, t.DATE_OF_BIRTH, t.ADDRESS,
                   t.ISSUE_DATE, t.REF_NUMBER, t.COLOR_CLASS, t.EXPIRE_DATE},
                  t.CONDITIONS,
                  {t.PSC_NAME, t.LICENSE_NUMBER},
                  t.CATEGORIES}),
            t.LISENCE_ENTRIES);
  EXPECT_EQ(t.RFU.front(), "34");
  EXPECT_EQ(t.RFU.back(), "3F");
}

TEST(ConstTag, ChangedLicenceEntriesAreSeventyTwoTagsFrom50To97) {
  ConstTag t;
  ASSERT_EQ(t.CHANGED_LICENSE_ENTRIES.size(), 72u);
  EXPECT_EQ(t.CHANGED_LICENSE_ENTRIES.front(), "50");
  EXPECT_EQ(t.CHANGED_LICENSE_ENTRIES.back(), "97");
  EXPECT_TRUE(strictlyAscending(t.CHANGED_LICENSE_ENTRIES));
  EXPECT_EQ(t.CHANGE_PSC_NAMES.size(), 15u);
  EXPECT_EQ(join({{t.CHANGED_LICENSE_ENTRIES_CHG}, t.CHANGE_PSC_NAMES, t.CHANGE_COMMON_NAMES, t.CHANGE_CALL_NAMES,
                  t.CHANGE_ADDRESSES, t.CHANGE_CONDITIONS, t.CHANGE_CANCEL_CONDITIONS, t.CHANGE_REMARKS,
                  t.CHANGE_SPARES}),
            t.CHANGED_LICENSE_ENTRIES);

  EXPECT_EQ(join({{t.CHANGED_EXTERNAL_CHARACTER_CHG}, t.CHANGED_EXTERNAL_CHARACTER}), t.CHANGED_EXTERNAL_CHARACTERS);
  EXPECT_EQ(t.CHANGED_EXTERNAL_CHARACTER,
            (TagList{t.CHANGE_EXTERNAL_CHARACTER3, t.CHANGE_EXTERNAL_CHARACTER4, t.CHANGE_EXTERNAL_CHARACTER5,
                     t.CHANGE_EXTERNAL_CHARACTER6, t.CHANGE_EXTERNAL_CHARACTER7}));
  EXPECT_EQ(t.CHANGED_EXTERNAL_CHARACTERS, (TagList{"A0", "A1", "A2", "A3", "A4", "A5"}));
  EXPECT_EQ(join({{t.CHANGED_REGISTERED_DOMICILE_CHG}, t.CHANGE_REGISTERED_DOMICILE}), t.CHANGED_REGISTERED_DOMICILE);
  EXPECT_EQ(t.CHANGED_REGISTERED_DOMICILE, (TagList{"AA", "AB", "AC", "AD", "AE", "AF"}));
}

TEST(ConstTag, LicenceDataEntriesOnTheIndividualNumberCard) {
  ConstTag t;
  const TagList& all = t.MYNA_DRIVER_LICENSE_ENTRIES;
  ASSERT_EQ(all.size(), 70u);
  EXPECT_EQ(all.front(), "C2");
  EXPECT_EQ(all[61], "FF");
  EXPECT_EQ(all[62], "0100");
  EXPECT_EQ(all.back(), "0107");
  EXPECT_TRUE(strictlyAscending(all));
  EXPECT_EQ(t.MYNA_DRIVER_LICENSE_CONDITION_LIST.size(), 12u);
  EXPECT_EQ(t.MYNA_DRIVER_LICENSE_CATEGORY_LIST.size(), 15u);
  EXPECT_EQ(t.MYNA_DRIVER_LICENSE_ENTRIES_RFU_LIST.size(), 12u);
  EXPECT_EQ(t.MYNA_DRIVER_LICENSE_CONDITION_LIST[4], "CC");

  // Every entries tag belongs to exactly one item or group.
  const TagList parts = join({{t.MYNA_DRIVER_LICENSE_HISTORY_RECORD_DATE, t.MYNA_DRIVER_LICENSE_DRIVER_CLASS,
                               t.MYNA_DRIVER_LICENSE_COLOR_CLASS, t.MYNA_DRIVER_LICENSE_EXPIRE_DATE},
                              t.MYNA_DRIVER_LICENSE_CONDITION_LIST, t.MYNA_DRIVER_LICENSE_OMITTED_CHARACHTER_LIST,
                              t.MYNA_DRIVER_LICENSE_REMARK_LIST, t.MYNA_DRIVER_LICENSE_SPARE_LIST,
                              {t.MYNA_DRIVER_LICENSE_LICENSE_RECORD_NUMBER, t.MYNA_DRIVER_LICENSE_HISTORY_RECORD_NUMBER},
                              t.MYNA_DRIVER_LICENSE_OBTAINED_DATE_LIST, t.MYNA_DRIVER_LICENSE_CATEGORY_LIST,
                              t.MYNA_DRIVER_LICENSE_ENTRIES_RFU_LIST, {t.MYNA_DRIVER_LICENSE_PHOTO}});
  EXPECT_EQ(parts.size(), all.size());
  EXPECT_EQ(std::set<std::string>(parts.begin(), parts.end()), std::set<std::string>(all.begin(), all.end()));

  EXPECT_EQ(t.MYNA_DRIVER_LICENSE_SIGNATURES,
            (TagList{t.MYNA_DRIVER_LICENSE_SIGNATURE, t.MYNA_DRIVER_LICENSE_SERIAL, t.MYNA_DRIVER_LICENSE_RFU,
                     t.MYNA_DRIVER_LICENSE_ISSUER, t.MYNA_DRIVER_LICENSE_SUBJECT, t.MYNA_DRIVER_LICENSE_SKI}));
  EXPECT_EQ(t.MYNA_DRIVER_LICENSE_SIGNATURES.front(), "0108");
  EXPECT_EQ(t.MYNA_DRIVER_LICENSE_SIGNATURES.back(), "010D");
}

TEST(ConstTag, IndividualNumberCardFileLists) {
  ConstTag t;
  EXPECT_EQ(t.CARD_PRINT_INFO.size(), 11u);
  EXPECT_EQ(t.CARD_PRINT_INFO.front(), "FF20");
  EXPECT_EQ(t.CARD_PRINT_INFO.back(), "DF2A");
  EXPECT_TRUE(strictlyAscending(TagList(t.CARD_PRINT_INFO.begin() + 1, t.CARD_PRINT_INFO.end())));
  // Single tags used by the readers lie inside the lists they read with.
  EXPECT_EQ(TagList(t.CARD_PRINT_INFO.begin() + 2, t.CARD_PRINT_INFO.end()),
            (TagList{t.CARD_P_INFO_DATEOFBIRTH, t.CARD_P_INFO_GENDER, t.CARD_P_INFO_IN_CERT, t.CARD_P_INFO_NAME,
                     t.CARD_P_INFO_ADD, t.CARD_P_INFO_PHOTO, t.CARD_P_INFO_SIGN, t.CARD_P_INFO_EXPIRE_DATE,
                     t.CARD_P_INFO_SECURITY_CODE}));
  EXPECT_EQ(t.BASIC_PERSONAL_INFO, (TagList{"FF20", t.BASIC_P_INFO_ADDMAP, t.BASIC_P_INFO_NAME, t.BASIC_P_INFO_ADD,
                                            t.BASIC_P_INFO_DATEOFBIRTH, t.BASIC_P_INFO_GENDER}));
  EXPECT_EQ(t.MYNUMBER_HASH, (TagList{"FF30", t.MYNUMBER_HASH_NUMBER, t.MYNUMBER_HASH_BASIC_PERSONAL_INFO,
                                      t.MYNUMBER_HASH_SIGNATURE}));
  EXPECT_EQ(t.MYNUMBER_INFO, (TagList{"FF40", t.MYNUMBER_IMG, t.MYNUMBER_INTERNAL_KEY, t.MYNUMBER_SIGNATURE}));
  EXPECT_EQ(t.MYNUMBER.front(), "FF10");
  EXPECT_EQ(t.BASIC_P_INFO_CERT, (TagList{"7F21", "5F4E", "5F37"}));
}

TEST(ConstTag, ResidenceCardLists) {
  ConstTag t;
  EXPECT_EQ(t.RESIDENCE_CARD_ADDRESSES, (TagList{t.RESIDENCE_CARD_ADDRESSES_DATE, t.RESIDENCE_CARD_ADDRESSES_CODE,
                                                 t.RESIDENCE_CARD_ADDRESSES_ADDRESS}));
  EXPECT_EQ(t.RESIDENCE_CARD_SIGNATURES, (TagList{t.RESIDENCE_CARD_SIGNATURE, t.RESIDENCE_CARD_CERTIFICATE}));
  EXPECT_EQ(t.RESIDENCE_CARD_SIGNATURES, (TagList{"DA", "DB"}));
}

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
