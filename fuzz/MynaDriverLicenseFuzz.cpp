// libFuzzer target: the licence data on the Individual Number Card as the card sends it. The input
// is the entries file (a piece: two length bytes, then the file) and the signature file; both go through
// Ber.parseForMynaDriverLicense (with both tag lists, and entered as a first element) and into the
// record, whose every getter and verification value is then read. Nothing may crash, hang or read
// past the end.
// fuzz-sources: MynaDriverLicense/MynaDriverLicense.cpp
// fuzz-parser: MynaDriverLicense/MynaDriverLicense.cpp
#include <cstddef>
#include <cstdint>

#include "FuzzInput.hpp"
#include "MynaDriverLicense/MynaDriverLicense.hpp"
#include "TLV/Ber.hpp"
#include "Utility/ConstTag.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ekyc::fuzz::FuzzInput input(data, size);
  const ekyc::Bytes entries = input.piece();
  const ekyc::Bytes signature = input.rest();

  static const ekyc::ConstTag tags;
  const ekyc::Ber ber;
  for (const bool skip : {false, true}) {
    (void)ber.parseForMynaDriverLicense(entries, tags.MYNA_DRIVER_LICENSE_ENTRIES, skip);
    (void)ber.parseForMynaDriverLicense(signature, tags.MYNA_DRIVER_LICENSE_SIGNATURES, skip);
  }

  const ekyc::MynaDriverLicense d(entries, signature);
  (void)d.getHistoryRecordDate();
  (void)d.getDriverClass();
  (void)d.getColorClass();
  (void)d.getExpireData();
  (void)d.getConditionList();
  (void)d.getOmittedCharacterList();
  (void)d.getRemarkList();
  (void)d.getSpareList();
  (void)d.getLicenseRecordNumber();
  (void)d.getHistoryRecordNumber();
  (void)d.getLicenseObtainedDateList();
  (void)d.getLicenseCategoryList();
  (void)d.getEntriesRFUList();
  (void)d.getPhoto();
  (void)d.getSignatureBinary();
  (void)d.getSerial();
  (void)d.getRFU();
  (void)d.getIssuer();
  (void)d.getSubject();
  (void)d.getSubjectKeyIdentifier();
  (void)d.getRawData();
  (void)d.getHashData();
  (void)d.getVerifyingParams();
  (void)d.getSignature();
  return 0;
}
