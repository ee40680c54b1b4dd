#pragma once
// Fixed lengths: card file sizes read with one READ BINARY, PIN lengths, and the sizes of the
// pieces the driving-licence and residence-card readers cut out of their files.
namespace ekyc {

class ConstDataLength {
 public:
  ConstDataLength();

  // Individual Number Card.
  const int SIGN_CERT;
  const int CARD_PRINT_INFO;
  const int CARD_PRINT_INFO_CERT;
  const int MYNUMBER_INFO;
  const int MYNUMBER;
  const int BASIC_PERSONAL_INFO;
  const int CARD_PRINT_INFO_SUPPORT_SIGNATURE;
  const int CARD_PRINT_INFO_SUPPORT_CERT;
  const int PIN_LENGTH_MYNUMBERCARD_PROMPTED_PII;

  // IC driving licence: the signed source and its partial hash.
  const int PIN_LENGTH_DRIVERLICENSE;
  const int LICENSE_ENTRIES;
  const int REGISTERED_DOMICILE;
  const int PHOTO;
  const int DRIVER_LICENSE_RAWDATA;
  const int DL_LOOP_TIME;
  const int DL_PHOTO_OFFSET;

  // Licence data on the Individual Number Card.
  const int MYNA_DRIVER_LICENCE_ENTRY;
  const int MYNA_DRIVER_LICENCE_SIGNATURE;

  // Residence card: secure messaging.
  const int GET_CHALLENGE_DATA_LENGTH;
  const int MUTUAL_AUTH_DATA_LENGTH;

  // Residence card files.
  const int RESIDENCE_CARD_COMMON_DATA;
  const int RESIDENCE_CARD_CARD_TYPE;
  const int RESIDENCE_CARD_CARD_ENTRIES;
  const int RESIDENCE_CARD_CARD_ENTRIES_PADDING;
  const int RESIDENCE_CARD_CARD_ENTRIES_VAL;
  const int RESIDENCE_CARD_PHOTO;
  const int RESIDENCE_CARD_PHOTO_PADDING;
  const int RESIDENCE_CARD_PHOTO_VAL;
  const int RESIDENCE_CARD_ADDRESSES;
  const int RESIDENCE_CARD_ADDRESSES_DATE;
  const int RESIDENCE_CARD_ADDRESSES_CODE;
  const int RESIDENCE_CARD_ADDRESSES_ADDRESS;
  const int RESIDENCE_CARD_COMPREHENSIVE_PERMISSION;
  const int RESIDENCE_CARD_COMPREHENSIVE_PERMISSION_VAL;
  const int RESIDENCE_CARD_INDIVIDUAL_PERMISSION;
  const int RESIDENCE_CARD_INDIVIDUAL_PERMISSION_VAL;
  const int RESIDENCE_CARD_UPDATE_STATUS;
  const int RESIDENCE_CARD_SIGNATURES;
  const int RESIDENCE_CARD_SIGNATURES_SIGNATURE;
  const int RESIDENCE_CARD_SIGNATURES_CERTIFICATE;
};

}  // namespace ekyc
