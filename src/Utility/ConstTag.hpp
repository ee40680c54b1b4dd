#pragma once
// BER-TLV tags of the card files, as upper-case hex text ("DF21"), and the ordered tag lists that
// the parsers walk a file with.
#include <string>
#include <vector>

namespace ekyc {

class ConstTag {
 public:
  ConstTag();

  using Tag = std::string;
  using TagList = std::vector<std::string>;

  // Individual Number Card: card-verifiable certificate files (7F21).
  const TagList BASIC_P_INFO_CERT;

  // Card-surface EF 0005: individual-number image.
  const TagList MYNUMBER_INFO;
  const Tag MYNUMBER_IMG;
  const Tag MYNUMBER_INTERNAL_KEY;
  const Tag MYNUMBER_SIGNATURE;

  // Input-support EF 0001 and EF 0003.
  const TagList MYNUMBER;
  const TagList MYNUMBER_HASH;
  const Tag MYNUMBER_HASH_NUMBER;
  const Tag MYNUMBER_HASH_BASIC_PERSONAL_INFO;
  const Tag MYNUMBER_HASH_SIGNATURE;

  // Input-support EF 0002: the four basic items.
  const TagList BASIC_PERSONAL_INFO;
  const Tag BASIC_P_INFO_ADDMAP;
  const Tag BASIC_P_INFO_NAME;
  const Tag BASIC_P_INFO_ADD;
  const Tag BASIC_P_INFO_DATEOFBIRTH;
  const Tag BASIC_P_INFO_GENDER;

  // Card-surface EF 0002.
  const TagList CARD_PRINT_INFO;
  const Tag CARD_PRINT_INFO_ADDMAP;
  const Tag CARD_P_INFO_DATEOFBIRTH;
  const Tag CARD_P_INFO_GENDER;
  const Tag CARD_P_INFO_IN_CERT;
  const Tag CARD_P_INFO_NAME;
  const Tag CARD_P_INFO_ADD;
  const Tag CARD_P_INFO_PHOTO;
  const Tag CARD_P_INFO_SIGN;
  const Tag CARD_P_INFO_EXPIRE_DATE;
  const Tag CARD_P_INFO_SECURITY_CODE;

  // IC driving licence: common data (EF 2F01).
  const TagList COMMON_DATA;
  const Tag CARD_ISSUER;
  const Tag CARD_ISSUE_BEFORE;

  // IC driving licence: entries (DF1 EF 0001), "11" to "33".
  const TagList LISENCE_ENTRIES;
  const Tag JISX0208YEAR;
  const Tag COMMON_NAME;
  const Tag KANA;
  const Tag ALIAS_NAME;
  const Tag CALL_NAME;
  const Tag DATE_OF_BIRTH;
  const Tag ADDRESS;
  const Tag ISSUE_DATE;
  const Tag REF_NUMBER;
  const Tag COLOR_CLASS;
  const Tag EXPIRE_DATE;
  const TagList CONDITIONS;
  const Tag PSC_NAME;
  const Tag LICENSE_NUMBER;
  const TagList CATEGORIES;
  const TagList RFU;

  // IC driving licence: registered domicile (DF1 EF 0002) and photo (DF2 EF 0001).
  const TagList REGISTERED_DOMICILE;
  const TagList PHOTO;

  // IC driving licence: external characters (DF1 EF 0003).
  const TagList EXTERNAL_CHARACTER;
  const Tag EXTERNAL_CHARACTER1;
  const Tag EXTERNAL_CHARACTER2;
  const TagList EXTERNAL_CHARACTER_KEY;

  // IC driving licence: change history of the entries (DF1 EF 0004), "50" to "97".
  const TagList CHANGED_LICENSE_ENTRIES;
  const Tag CHANGED_LICENSE_ENTRIES_CHG;
  const TagList CHANGE_PSC_NAMES;
  const TagList CHANGE_COMMON_NAMES;
  const TagList CHANGE_CALL_NAMES;
  const TagList CHANGE_ADDRESSES;
  const TagList CHANGE_CONDITIONS;
  const TagList CHANGE_CANCEL_CONDITIONS;
  const TagList CHANGE_REMARKS;
  const TagList CHANGE_SPARES;

  // IC driving licence: changed external characters (DF1 EF 0005).
  const TagList CHANGED_EXTERNAL_CHARACTERS;
  const Tag CHANGED_EXTERNAL_CHARACTER_CHG;
  const TagList CHANGED_EXTERNAL_CHARACTER;
  const Tag CHANGE_EXTERNAL_CHARACTER3;
  const Tag CHANGE_EXTERNAL_CHARACTER4;
  const Tag CHANGE_EXTERNAL_CHARACTER5;
  const Tag CHANGE_EXTERNAL_CHARACTER6;
  const Tag CHANGE_EXTERNAL_CHARACTER7;
  const TagList CHANGED_EXTERNAL_CHARACTER_KEY;

  // IC driving licence: changed registered domicile (DF1 EF 0006).
  const TagList CHANGED_REGISTERED_DOMICILE;
  const Tag CHANGED_REGISTERED_DOMICILE_CHG;
  const TagList CHANGE_REGISTERED_DOMICILE;

  // IC driving licence: signature file (DF1 EF 0007).
  const TagList SIGNATURES;
  const Tag SIGNATURE;
  const Tag SERIAL;
  const Tag ISSUER;
  const Tag SUBJECT;
  const Tag SUBJECT_KEY_IDENTIFIER;

  // Licence data on the Individual Number Card: entries file (EF 001B).
  const TagList MYNA_DRIVER_LICENSE_ENTRIES;
  const Tag MYNA_DRIVER_LICENSE_HISTORY_RECORD_DATE;
  const Tag MYNA_DRIVER_LICENSE_DRIVER_CLASS;
  const Tag MYNA_DRIVER_LICENSE_COLOR_CLASS;
  const Tag MYNA_DRIVER_LICENSE_EXPIRE_DATE;
  const TagList MYNA_DRIVER_LICENSE_CONDITION_LIST;
  const TagList MYNA_DRIVER_LICENSE_OMITTED_CHARACHTER_LIST;
  const TagList MYNA_DRIVER_LICENSE_REMARK_LIST;
  const TagList MYNA_DRIVER_LICENSE_SPARE_LIST;
  const Tag MYNA_DRIVER_LICENSE_LICENSE_RECORD_NUMBER;
  const Tag MYNA_DRIVER_LICENSE_HISTORY_RECORD_NUMBER;
  const TagList MYNA_DRIVER_LICENSE_OBTAINED_DATE_LIST;
  const TagList MYNA_DRIVER_LICENSE_CATEGORY_LIST;
  const TagList MYNA_DRIVER_LICENSE_ENTRIES_RFU_LIST;
  const Tag MYNA_DRIVER_LICENSE_PHOTO;

  // Licence data on the Individual Number Card: signature file (EF 001C).
  const TagList MYNA_DRIVER_LICENSE_SIGNATURES;
  const Tag MYNA_DRIVER_LICENSE_SIGNATURE;
  const Tag MYNA_DRIVER_LICENSE_SERIAL;
  const Tag MYNA_DRIVER_LICENSE_RFU;
  const Tag MYNA_DRIVER_LICENSE_ISSUER;
  const Tag MYNA_DRIVER_LICENSE_SUBJECT;
  const Tag MYNA_DRIVER_LICENSE_SKI;

  // Residence card files.
  const TagList RESIDENCE_CARD_COMMON_DATA;
  const TagList RESIDENCE_CARD_CARD_TYPE;
  const TagList RESIDENCE_CARD_CARD_ENTRIES;
  const TagList RESIDENCE_CARD_PHOTO;
  const TagList RESIDENCE_CARD_ADDRESSES;
  const Tag RESIDENCE_CARD_ADDRESSES_DATE;
  const Tag RESIDENCE_CARD_ADDRESSES_CODE;
  const Tag RESIDENCE_CARD_ADDRESSES_ADDRESS;
  const TagList RESIDENCE_CARD_COMPREHENSIVE_PERMISSION;
  const TagList RESIDENCE_CARD_INDIVIDUAL_PERMISSION;
  const TagList RESIDENCE_CARD_UPDATE_STATUS;
  const TagList RESIDENCE_CARD_SIGNATURES;
  const Tag RESIDENCE_CARD_SIGNATURE;
  const Tag RESIDENCE_CARD_CERTIFICATE;
};

}  // namespace ekyc
