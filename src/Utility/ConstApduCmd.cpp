#include "Utility/ConstApduCmd.hpp"

#include <initializer_list>
#include <optional>
#include <utility>

#include "Utility/Crypt.hpp"

namespace ekyc {

namespace {

constexpr std::uint8_t kCla = 0x00;
constexpr std::uint8_t kSelect = 0xA4;

NFCISO7816APDU selectAid(Bytes aid) { return {kCla, kSelect, 0x04, 0x0C, std::move(aid), std::nullopt}; }

NFCISO7816APDU selectEf(std::uint8_t hi, std::uint8_t lo) {
  return {kCla, kSelect, 0x02, 0x0C, Bytes{hi, lo}, std::nullopt};
}

// A 16-byte AID: the six given bytes followed by ten 00 bytes.
Bytes paddedAid(std::initializer_list<std::uint8_t> head) {
  Bytes aid(head);
  aid.resize(16, 0x00);
  return aid;
}

// Le as the command value takes it: 1..65536, absent when nothing sensible was asked for.
std::optional<std::size_t> expectedLength(int length) {
  if (length < 1) return std::nullopt;
  if (length > 65536) return 65536;
  return static_cast<std::size_t>(length);
}

}  // namespace

ConstApduCmd::ConstApduCmd()
    : selectPublicCertAid(selectAid({0xD3, 0x92, 0xF0, 0x00, 0x26, 0x01, 0x00, 0x00, 0x00, 0x01})),
      selectCardPrintAid(selectAid({0xD3, 0x92, 0x10, 0x00, 0x31, 0x00, 0x01, 0x01, 0x04, 0x02})),
      selectCardPrintSupAid(selectAid({0xD3, 0x92, 0x10, 0x00, 0x31, 0x00, 0x01, 0x01, 0x04, 0x08})),
      selectEf01(selectEf(0x00, 0x01)),
      selectEf02(selectEf(0x00, 0x02)),
      selectEf03(selectEf(0x00, 0x03)),
      selectEf04(selectEf(0x00, 0x04)),
      selectEf05(selectEf(0x00, 0x05)),
      selectEf0A(selectEf(0x00, 0x0A)),
      selectEf11(selectEf(0x00, 0x11)),
      selectEf12(selectEf(0x00, 0x12)),
      selectEf13(selectEf(0x00, 0x13)),
      selectEf14(selectEf(0x00, 0x14)),
      selectEf15(selectEf(0x00, 0x15)),
      selectEf17(selectEf(0x00, 0x17)),
      selectEf18(selectEf(0x00, 0x18)),
      selectEf1A(selectEf(0x00, 0x1A)),
      selectEf1B(selectEf(0x00, 0x1B)),
      readCardPrintInfo(kCla, 0xB0, 0x00, 0x00, {}, 5498),
      readBasicPersonalInfo(kCla, 0xB0, 0x00, 0x00, {}, 1024),
      selectDriverLicenseCardMF(kCla, kSelect, 0x00, 0x00, {}, std::nullopt),
      selectDriverLicensePin1(selectEf(0x00, 0x01)),
      selectDriverLicensePin2(selectEf(0x00, 0x02)),
      selectCommonDataElements(selectEf(0x2F, 0x01)),
      selectDF1(selectAid(paddedAid({0xA0, 0x00, 0x00, 0x02, 0x31, 0x01}))),
      selectDF2(selectAid(paddedAid({0xA0, 0x00, 0x00, 0x02, 0x31, 0x02}))),
      selectLicenseEntries(selectEf(0x00, 0x01)),
      selectRegisteredDomicile(selectEf(0x00, 0x02)),
      selectExternalCharacter(selectEf(0x00, 0x03)),
      selectChangedLicenseEntries(selectEf(0x00, 0x04)),
      selectChangedExternalCharacter(selectEf(0x00, 0x05)),
      selectChangedRegisteredDomicile(selectEf(0x00, 0x06)),
      selectSignatureData(selectEf(0x00, 0x07)),
      selectPhoto(selectEf(0x00, 0x01)),
      selectMynaDriverLicenceInstanceAid(selectAid(paddedAid({0xA0, 0x00, 0x00, 0x02, 0x31, 0x06}))),
      selectMynaDriverLicenceIEF(selectEf(0x00, 0x06)),
      selectMynaDriverLicenceWEF02(selectEf(0x00, 0x1B)),
      selectMynaDriverLicenceWEF03(selectEf(0x00, 0x1C)),
      selectResidenceCardMF(kCla, kSelect, 0x00, 0x00, Bytes{0x3F, 0x00}, std::nullopt),
      selectResidenceCardDF1(selectAid(paddedAid({0xD3, 0x92, 0xF0, 0x00, 0x4F, 0x02}))),
      selectResidenceCardDF2(selectAid(paddedAid({0xD3, 0x92, 0xF0, 0x00, 0x4F, 0x03}))),
      selectResidenceCardDF3(selectAid(paddedAid({0xD3, 0x92, 0xF0, 0x00, 0x4F, 0x04}))),
      SELECT_RESIDENCE_CARD_COMMON_DATA(0x8B),
      SELECT_RESIDENCE_CARD_CARD_TYPE(0x8A),
      SELECT_RESIDENCE_CARD_CARD_ENTRIES(0x85),
      SELECT_RESIDENCE_CARD_PHOTO(0x86),
      SELECT_RESIDENCE_CARD_ADDRESSES(0x81),
      SELECT_RESIDENCE_CARD_COMPREHENSIVE_PERMISSION(0x82),
      SELECT_RESIDENCE_CARD_INDIVIDUAL_PERMISSION(0x83),
      SELECT_RESIDENCE_CARD_UPDATE_STATUS(0x84),
      SELECT_RESIDENCE_CARD_SIGNATURES(0x82) {}

NFCISO7816APDU ConstApduCmd::getVerifyAdpuCmd(const Bytes& pin) const {
  return {kCla, 0x20, 0x00, 0x80, pin, std::nullopt};
}

NFCISO7816APDU ConstApduCmd::getReadAdpuCmd(int responseLength) const {
  return {kCla, 0xB0, 0x00, 0x00, {}, expectedLength(responseLength)};
}

NFCISO7816APDU ConstApduCmd::getSignAdpuCmd(const Bytes& tbsData, int digestLength) const {
  return {0x80, 0x2A, 0x00, 0x80, tbsData, expectedLength(digestLength)};
}

NFCISO7816APDU ConstApduCmd::getReadFullDataAdpuCmd(std::uint8_t file) const {
  return NFCISO7816APDU::raw({kCla, 0xB0, file, 0x00, 0x00, 0x00, 0x00});
}

NFCISO7816APDU ConstApduCmd::getChallengeAdpuCmd(int randomNumberLength) const {
  return {kCla, 0x84, 0x00, 0x00, {}, expectedLength(randomNumberLength)};
}

NFCISO7816APDU ConstApduCmd::getMutualAuthenticateAdpuCmd(const Bytes& e_IFD, const Bytes& m_IFD) const {
  Bytes command{kCla, 0x82, 0x00, 0x00, 0x28};
  command.insert(command.end(), e_IFD.begin(), e_IFD.end());
  command.insert(command.end(), m_IFD.begin(), m_IFD.end());
  command.push_back(0x00);
  return NFCISO7816APDU::raw(std::move(command));
}

NFCISO7816APDU ConstApduCmd::getVerifyForResidenceCardAdpuCmd(const Bytes& pin, const Bytes& key) const {
  const Crypt crypt;
  const Bytes cryptogram = crypt.TDES(key, crypt.padding7816_4(pin, 0, pin.size()), Bytes(8, 0x00), crypt.ENCRYPT);
  Bytes data{0x86, 0x11, 0x01};
  data.insert(data.end(), cryptogram.begin(), cryptogram.end());
  return {0x08, 0x20, 0x00, 0x86, std::move(data), std::nullopt};
}

NFCISO7816APDU ConstApduCmd::getReadSMResidenceCardApduCmd(int /*responseLength*/, std::uint8_t file) const {
  return NFCISO7816APDU::raw({0x08, 0xB0, file, 0x00, 0x00, 0x00, 0x04, 0x96, 0x02, 0x00, 0x00, 0x00, 0x00});
}

}  // namespace ekyc
