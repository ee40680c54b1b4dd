#pragma once
// Ready-made command APDUs of every card application this library talks to, and the builders of
// the commands that carry variable data. Values only: nothing here talks to a card.
#include <cstdint>

#include "Extension/Bytes.hpp"
#include "Platform/NFCISO7816APDU.hpp"

namespace ekyc {

class ConstApduCmd {
 public:
  ConstApduCmd();

  // Individual Number Card: applications (SELECT by AID, no Le).
  const NFCISO7816APDU selectPublicCertAid;    // JPKI
  const NFCISO7816APDU selectCardPrintAid;     // card surface
  const NFCISO7816APDU selectCardPrintSupAid;  // card-surface input support

  // Individual Number Card: elementary files (00 A4 02 0C, 00 xx, no Le).
  const NFCISO7816APDU selectEf01;
  const NFCISO7816APDU selectEf02;
  const NFCISO7816APDU selectEf03;
  const NFCISO7816APDU selectEf04;
  const NFCISO7816APDU selectEf05;
  const NFCISO7816APDU selectEf0A;
  const NFCISO7816APDU selectEf11;
  const NFCISO7816APDU selectEf12;
  const NFCISO7816APDU selectEf13;
  const NFCISO7816APDU selectEf14;
  const NFCISO7816APDU selectEf15;
  const NFCISO7816APDU selectEf17;
  const NFCISO7816APDU selectEf18;
  const NFCISO7816APDU selectEf1A;
  const NFCISO7816APDU selectEf1B;

  // Individual Number Card: fixed-length reads.
  const NFCISO7816APDU readCardPrintInfo;      // Le 5498
  const NFCISO7816APDU readBasicPersonalInfo;  // Le 1024

  // IC driving licence.
  const NFCISO7816APDU selectDriverLicenseCardMF;        // 00 A4 00 00
  const NFCISO7816APDU selectDriverLicensePin1;          // EF 0001
  const NFCISO7816APDU selectDriverLicensePin2;          // EF 0002
  const NFCISO7816APDU selectCommonDataElements;         // EF 2F01
  const NFCISO7816APDU selectDF1;                        // A0 00 00 02 31 01 + ten 00
  const NFCISO7816APDU selectDF2;                        // A0 00 00 02 31 02 + ten 00
  const NFCISO7816APDU selectLicenseEntries;             // EF 0001
  const NFCISO7816APDU selectRegisteredDomicile;         // EF 0002
  const NFCISO7816APDU selectExternalCharacter;          // EF 0003
  const NFCISO7816APDU selectChangedLicenseEntries;      // EF 0004
  const NFCISO7816APDU selectChangedExternalCharacter;   // EF 0005
  const NFCISO7816APDU selectChangedRegisteredDomicile;  // EF 0006
  const NFCISO7816APDU selectSignatureData;              // EF 0007
  const NFCISO7816APDU selectPhoto;                      // EF 0001 of DF2

  // Licence data on the Individual Number Card.
  const NFCISO7816APDU selectMynaDriverLicenceInstanceAid;  // A0 00 00 02 31 06 + ten 00
  const NFCISO7816APDU selectMynaDriverLicenceIEF;          // EF 0006
  const NFCISO7816APDU selectMynaDriverLicenceWEF02;        // EF 001B
  const NFCISO7816APDU selectMynaDriverLicenceWEF03;        // EF 001C

  // Residence card.
  const NFCISO7816APDU selectResidenceCardMF;   // 00 A4 00 00, data 3F 00
  const NFCISO7816APDU selectResidenceCardDF1;  // D3 92 F0 00 4F 02 + ten 00
  const NFCISO7816APDU selectResidenceCardDF2;  // D3 92 F0 00 4F 03 + ten 00
  const NFCISO7816APDU selectResidenceCardDF3;  // D3 92 F0 00 4F 04 + ten 00

  // Residence card: P1 of a READ BINARY by short file identifier (80 + identifier).
  const std::uint8_t SELECT_RESIDENCE_CARD_COMMON_DATA;
  const std::uint8_t SELECT_RESIDENCE_CARD_CARD_TYPE;
  const std::uint8_t SELECT_RESIDENCE_CARD_CARD_ENTRIES;
  const std::uint8_t SELECT_RESIDENCE_CARD_PHOTO;
  const std::uint8_t SELECT_RESIDENCE_CARD_ADDRESSES;
  const std::uint8_t SELECT_RESIDENCE_CARD_COMPREHENSIVE_PERMISSION;
  const std::uint8_t SELECT_RESIDENCE_CARD_INDIVIDUAL_PERMISSION;
  const std::uint8_t SELECT_RESIDENCE_CARD_UPDATE_STATUS;
  const std::uint8_t SELECT_RESIDENCE_CARD_SIGNATURES;

  // VERIFY 00 20 00 80 with the PIN bytes as data, no Le. The PIN is not checked.
  NFCISO7816APDU getVerifyAdpuCmd(const Bytes& pin) const;
  // READ BINARY 00 B0 00 00 from offset 0 with Le = responseLength (extended above 256).
  NFCISO7816APDU getReadAdpuCmd(int responseLength) const;
  // COMPUTE DIGITAL SIGNATURE 80 2A 00 80 with the DigestInfo as data and Le = digestLength.
  NFCISO7816APDU getSignAdpuCmd(const Bytes& tbsData, int digestLength) const;
  // READ BINARY by short file identifier, whole file: raw 00 B0 P1 00 00 00 00.
  NFCISO7816APDU getReadFullDataAdpuCmd(std::uint8_t file) const;
  // GET CHALLENGE 00 84 00 00 with Le = randomNumberLength.
  NFCISO7816APDU getChallengeAdpuCmd(int randomNumberLength) const;
  // MUTUAL AUTHENTICATE: raw 00 82 00 00 28 || e_IFD || m_IFD || 00.
  NFCISO7816APDU getMutualAuthenticateAdpuCmd(const Bytes& e_IFD, const Bytes& m_IFD) const;
  // Protected VERIFY of the residence card number: 08 20 00 86, data 86 11 01 || 3DES-CBC(key,
  // zero IV) of the number padded per ISO/IEC 7816-4, no Le.
  NFCISO7816APDU getVerifyForResidenceCardAdpuCmd(const Bytes& pin, const Bytes& key) const;
  // Protected READ BINARY by short file identifier: raw 08 B0 P1 00 00 00 04 96 02 00 00 00 00.
  // The card answers the whole file; responseLength does not enter the command.
  NFCISO7816APDU getReadSMResidenceCardApduCmd(int responseLength, std::uint8_t file) const;
};

}  // namespace ekyc
