#pragma once
// The driving-licence data recorded on the Individual Number Card: the entries file (EF 001B) and
// its signature file (EF 001C) as read, each parsed once into a tag dictionary with the licence
// data's tag rule (Ber.parseForMynaDriverLicense). Every getter decodes its item afresh: UTF-8 text,
// JIS X 0208 text, upper-case hex or the raw bytes; a missing file, tag or undecodable value gives
// an absent result. The verification values (hash of the whole entries file, signature, SKI
// verifying parameters) are what the readers send with request type "43". The record has no
// dictionary or JSON form.
#include <optional>
#include <string>
#include <vector>

#include "Extension/Bytes.hpp"
#include "TLV/Ber.hpp"

namespace ekyc {

class MynaDriverLicense {
 public:
  using TextList = std::vector<std::optional<std::string>>;
  using DataList = std::vector<std::optional<Bytes>>;

  MynaDriverLicense(std::optional<Bytes> entriesRawData, std::optional<Bytes> signatureRawData);

  const std::optional<Bytes>& getEntriesRawData() const { return entriesRawData; }
  const std::optional<Bytes>& getSignatureRawData() const { return signatureRawData; }
  const Ber::TagDictionary& getEntriesDic() const { return entriesDic; }
  const Ber::TagDictionary& getSignatureDic() const { return signatureDic; }

  // Entries file.
  std::optional<std::string> getHistoryRecordDate() const;   // C2, UTF-8
  std::optional<std::string> getDriverClass() const;         // C3, hex
  std::optional<std::string> getColorClass() const;          // C4, JIS X 0208
  std::optional<std::string> getExpireData() const;          // C5, UTF-8
  std::optional<TextList> getConditionList() const;          // JIS X 0208
  std::optional<DataList> getOmittedCharacterList() const;   // raw
  std::optional<TextList> getRemarkList() const;             // JIS X 0208
  std::optional<TextList> getSpareList() const;              // JIS X 0208
  std::optional<std::string> getLicenseRecordNumber() const; // E7, UTF-8
  std::optional<std::string> getHistoryRecordNumber() const; // E8, UTF-8
  std::optional<TextList> getLicenseObtainedDateList() const; // UTF-8
  std::optional<DataList> getLicenseCategoryList() const;    // raw
  std::optional<DataList> getEntriesRFUList() const;         // raw
  std::optional<Bytes> getPhoto() const;                     // 0107, raw

  // Signature file.
  std::optional<Bytes> getSignatureBinary() const;           // 0108
  std::optional<std::string> getSerial() const;              // 0109, UTF-8
  std::optional<Bytes> getRFU() const;                       // 010A
  std::optional<std::string> getIssuer() const;              // 010B, UTF-8
  std::optional<std::string> getSubject() const;             // 010C, UTF-8
  std::optional<Bytes> getSubjectKeyIdentifier() const;      // 010D

  // Verification values, standard base64: the entries file; the SHA-256 of the whole entries file
  // as read (filler included); base64 of {"ski":"<base64 of 010D>"}; the signature. Absent when
  // their source is absent or empty.
  std::optional<std::string> getRawData() const;
  std::optional<std::string> getHashData() const;
  std::optional<std::string> getVerifyingParams() const;
  std::optional<std::string> getSignature() const;


 private:
  std::optional<Bytes> entriesRawData;
  std::optional<Bytes> signatureRawData;
  Ber::TagDictionary entriesDic;
  Ber::TagDictionary signatureDic;

  // The dictionary of a file that was read with at least one byte; absent otherwise.
  const Ber::TagDictionary* entries() const;
  const Ber::TagDictionary* signatures() const;
};

}  // namespace ekyc
