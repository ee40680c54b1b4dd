#include "Utility/ConstTag.hpp"

#include <cstdio>
#include <initializer_list>

namespace ekyc {

namespace {

using TagList = ConstTag::TagList;

std::string hexTag(unsigned value, int digits) {
  char text[8];
  std::snprintf(text, sizeof text, "%0*X", digits, value);
  return text;
}

// The one-byte tags first..last, ascending.
TagList range(unsigned first, unsigned last) {
  TagList tags;
  for (unsigned tag = first; tag <= last; ++tag) tags.push_back(hexTag(tag, 2));
  return tags;
}

// The two-byte tags first..last, ascending.
TagList range2(unsigned first, unsigned last) {
  TagList tags;
  for (unsigned tag = first; tag <= last; ++tag) tags.push_back(hexTag(tag, 4));
  return tags;
}

TagList join(std::initializer_list<TagList> parts) {
  TagList tags;
  for (const auto& part : parts) tags.insert(tags.end(), part.begin(), part.end());
  return tags;
}

}  // namespace

ConstTag::ConstTag()
    : BASIC_P_INFO_CERT{"7F21", "5F4E", "5F37"},
      MYNUMBER_INFO{"FF40", "DF41", "DF42", "DF43"},
      MYNUMBER_IMG("DF41"),
      MYNUMBER_INTERNAL_KEY("DF42"),
      MYNUMBER_SIGNATURE("DF43"),
      MYNUMBER{"FF10", "DF31", "DF32", "DF33"},
      MYNUMBER_HASH{"FF30", "DF31", "DF32", "DF33"},
      MYNUMBER_HASH_NUMBER("DF31"),
      MYNUMBER_HASH_BASIC_PERSONAL_INFO("DF32"),
      MYNUMBER_HASH_SIGNATURE("DF33"),
      BASIC_PERSONAL_INFO{"FF20", "DF21", "DF22", "DF23", "DF24", "DF25"},
      BASIC_P_INFO_ADDMAP("DF21"),
      BASIC_P_INFO_NAME("DF22"),
      BASIC_P_INFO_ADD("DF23"),
      BASIC_P_INFO_DATEOFBIRTH("DF24"),
      BASIC_P_INFO_GENDER("DF25"),
      CARD_PRINT_INFO{"FF20", "DF21", "DF22", "DF23", "DF24", "DF25", "DF26", "DF27", "DF28", "DF29", "DF2A"},
      CARD_PRINT_INFO_ADDMAP("DF21"),
      CARD_P_INFO_DATEOFBIRTH("DF22"),
      CARD_P_INFO_GENDER("DF23"),
      CARD_P_INFO_IN_CERT("DF24"),
      CARD_P_INFO_NAME("DF25"),
      CARD_P_INFO_ADD("DF26"),
      CARD_P_INFO_PHOTO("DF27"),
      CARD_P_INFO_SIGN("DF28"),
      CARD_P_INFO_EXPIRE_DATE("DF29"),
      CARD_P_INFO_SECURITY_CODE("DF2A"),
      COMMON_DATA{"45", "46"},
      CARD_ISSUER("45"),
      CARD_ISSUE_BEFORE("46"),
      LISENCE_ENTRIES(range(0x11, 0x33)),
      JISX0208YEAR("11"),
      COMMON_NAME("12"),
      KANA("13"),
      ALIAS_NAME("14"),
      CALL_NAME("15"),
      DATE_OF_BIRTH("16"),
      ADDRESS("17"),
      ISSUE_DATE("18"),
      REF_NUMBER("19"),
      COLOR_CLASS("1A"),
      EXPIRE_DATE("1B"),
      CONDITIONS(range(0x1C, 0x1F)),
      PSC_NAME("20"),
      LICENSE_NUMBER("21"),
      CATEGORIES(range(0x22, 0x33)),
      RFU(range(0x34, 0x3F)),
      REGISTERED_DOMICILE{"41"},
      PHOTO{"5F40"},
      EXTERNAL_CHARACTER{"48", "49"},
      EXTERNAL_CHARACTER1("48"),
      EXTERNAL_CHARACTER2("49"),
      EXTERNAL_CHARACTER_KEY{"FFF1", "FFF2"},
      CHANGED_LICENSE_ENTRIES(range(0x50, 0x97)),
      CHANGED_LICENSE_ENTRIES_CHG("50"),
      CHANGE_PSC_NAMES(range(0x51, 0x5F)),
      CHANGE_COMMON_NAMES(range(0x60, 0x67)),
      CHANGE_CALL_NAMES(range(0x68, 0x6F)),
      CHANGE_ADDRESSES(range(0x70, 0x77)),
      CHANGE_CONDITIONS(range(0x78, 0x7F)),
      CHANGE_CANCEL_CONDITIONS(range(0x80, 0x87)),
      CHANGE_REMARKS(range(0x88, 0x8F)),
      CHANGE_SPARES(range(0x90, 0x97)),
      CHANGED_EXTERNAL_CHARACTERS(range(0xA0, 0xA5)),
      CHANGED_EXTERNAL_CHARACTER_CHG("A0"),
      CHANGED_EXTERNAL_CHARACTER(range(0xA1, 0xA5)),
      CHANGE_EXTERNAL_CHARACTER3("A1"),
      CHANGE_EXTERNAL_CHARACTER4("A2"),
      CHANGE_EXTERNAL_CHARACTER5("A3"),
      CHANGE_EXTERNAL_CHARACTER6("A4"),
      CHANGE_EXTERNAL_CHARACTER7("A5"),
      CHANGED_EXTERNAL_CHARACTER_KEY{"FFF3", "FFF4", "FFF5", "FFF6", "FFF7"},
      CHANGED_REGISTERED_DOMICILE(range(0xAA, 0xAF)),
      CHANGED_REGISTERED_DOMICILE_CHG("AA"),
      CHANGE_REGISTERED_DOMICILE(range(0xAB, 0xAF)),
      SIGNATURES{"B1", "B2", "B3", "B4", "B5", "B6"},
      SIGNATURE("B1"),
      SERIAL("B2"),
      ISSUER("B4"),
      SUBJECT("B5"),
      SUBJECT_KEY_IDENTIFIER("B6"),
      MYNA_DRIVER_LICENSE_ENTRIES(join({range(0xC2, 0xFF), range2(0x0100, 0x0107)})),
      MYNA_DRIVER_LICENSE_HISTORY_RECORD_DATE("C2"),
      MYNA_DRIVER_LICENSE_DRIVER_CLASS("C3"),
      MYNA_DRIVER_LICENSE_COLOR_CLASS("C4"),
      MYNA_DRIVER_LICENSE_EXPIRE_DATE("C5"),
      MYNA_DRIVER_LICENSE_CONDITION_LIST(join({range(0xC6, 0xC9), range(0xCC, 0xD3)})),
      MYNA_DRIVER_LICENSE_OMITTED_CHARACHTER_LIST{"CA", "CB", "D4", "D5", "D6"},
      MYNA_DRIVER_LICENSE_REMARK_LIST(range(0xD7, 0xDE)),
      MYNA_DRIVER_LICENSE_SPARE_LIST(range(0xDF, 0xE6)),
      MYNA_DRIVER_LICENSE_LICENSE_RECORD_NUMBER("E7"),
      MYNA_DRIVER_LICENSE_HISTORY_RECORD_NUMBER("E8"),
      MYNA_DRIVER_LICENSE_OBTAINED_DATE_LIST{"E9", "EA", "EB"},
      MYNA_DRIVER_LICENSE_CATEGORY_LIST(range(0xEC, 0xFA)),
      MYNA_DRIVER_LICENSE_ENTRIES_RFU_LIST(join({range(0xFB, 0xFF), range2(0x0100, 0x0106)})),
      MYNA_DRIVER_LICENSE_PHOTO("0107"),
      MYNA_DRIVER_LICENSE_SIGNATURES(range2(0x0108, 0x010D)),
      MYNA_DRIVER_LICENSE_SIGNATURE("0108"),
      MYNA_DRIVER_LICENSE_SERIAL("0109"),
      MYNA_DRIVER_LICENSE_RFU("010A"),
      MYNA_DRIVER_LICENSE_ISSUER("010B"),
      MYNA_DRIVER_LICENSE_SUBJECT("010C"),
      MYNA_DRIVER_LICENSE_SKI("010D"),
      RESIDENCE_CARD_COMMON_DATA{"C0"},
      RESIDENCE_CARD_CARD_TYPE{"C1"},
      RESIDENCE_CARD_CARD_ENTRIES{"D0"},
      RESIDENCE_CARD_PHOTO{"D1"},
      RESIDENCE_CARD_ADDRESSES{"D2", "D3", "D4"},
      RESIDENCE_CARD_ADDRESSES_DATE("D2"),
      RESIDENCE_CARD_ADDRESSES_CODE("D3"),
      RESIDENCE_CARD_ADDRESSES_ADDRESS("D4"),
      RESIDENCE_CARD_COMPREHENSIVE_PERMISSION{"D5"},
      RESIDENCE_CARD_INDIVIDUAL_PERMISSION{"D6"},
      RESIDENCE_CARD_UPDATE_STATUS{"D7"},
      RESIDENCE_CARD_SIGNATURES{"DA", "DB"},
      RESIDENCE_CARD_SIGNATURE("DA"),
      RESIDENCE_CARD_CERTIFICATE("DB") {}

}  // namespace ekyc
