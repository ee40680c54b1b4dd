#pragma once
// What a residence-card read delivers: the card's files, mostly as read, the address entry and
// the signatures, presented as getters, as a dictionary of 17 texts with its JSON, and as the
// values of a verification request (raw data, hash, signature, verifying parameters).
//
// The reader fills the front image and photo with the values their elements hold (7000 and 3000
// bytes, or shorter), the raw elements with the files (7004 and 3004 bytes); the raw data and hash
// pad a shorter one with zero bytes. A host may replace any field; a front image or photo (or
// element) longer than its width then gives an absent raw data or hash rather than a value over
// part of it.
#include <cstdint>
#include <map>
#include <optional>
#include <string>

#include "Extension/Bytes.hpp"
#include "ResidenceCard/ResidenceCardAddresses.hpp"
#include "ResidenceCard/ResidenceCardSignatures.hpp"

namespace ekyc {

class ResidenceCard {
 public:
  std::optional<Bytes> commonData;               // C0
  std::int64_t cardType = 0;                     // C1 as a decimal number
  std::optional<Bytes> cardEntries;              // D0 value, the front image (at most 7000 bytes)
  std::optional<Bytes> photo;                    // D1 value (at most 3000 bytes); absent when all 00
  std::optional<Bytes> cardEntriesRawData;       // the D0 file (7004 bytes)
  std::optional<Bytes> photoRawData;             // the D1 file (3004 bytes)
  std::optional<ResidenceCardAddresses> RCAddresses;
  std::optional<Bytes> comprehensivePermission;  // D5; absent when not read or all 00
  std::optional<Bytes> individualPermission;     // D6; absent when not read or all 00
  bool updateStatus = false;                     // D7 reads as the number 1
  std::int64_t infoType = 0;  // 0 signatures present; 1 no photo, no signatures; 2 photo, no signatures
  std::optional<ResidenceCardSignatures> RCSignatures;

  // Note the argument order: the two raw elements come last.
  ResidenceCard(std::optional<Bytes> commonData, std::int64_t cardType, std::optional<Bytes> cardEntries,
                std::optional<Bytes> photo, std::optional<ResidenceCardAddresses> residenceCardAddresses,
                std::optional<Bytes> comprehensivePermission, std::optional<Bytes> individualPermission,
                bool updateStatus, std::int64_t infoType, std::optional<ResidenceCardSignatures> residenceCardSignatures,
                std::optional<Bytes> cardEntriesRawData, std::optional<Bytes> photoRawData);
  virtual ~ResidenceCard() = default;

  // The 17 members, every value a text ("" for what is missing).
  virtual std::map<std::string, std::string> asDictionary() const;
  // asDictionary as compact JSON ("/" written "\/").
  virtual std::string toJson() const;

  // UTF-8 text of the common data ("" when absent or not UTF-8).
  virtual std::optional<std::string> getVersion() const;
  virtual std::int64_t getCardType() const { return cardType; }
  virtual std::optional<Bytes> getCardEntries() const { return cardEntries; }
  virtual std::optional<Bytes> getPhoto() const { return photo; }
  virtual std::optional<ResidenceCardAddresses> getResidenceCardAddresses() const { return RCAddresses; }
  virtual std::string getComprehensivePermission() const;
  virtual std::string getIndividualPermission() const;
  virtual bool isUpdateStatus() const { return updateStatus; }
  virtual std::optional<ResidenceCardSignatures> getResidenceCardSignatures() const { return RCSignatures; }
  virtual std::int64_t getInfoType() const { return infoType; }

  // base64 of the UTF-8 text "<b64 of the D0 element in 7004 bytes>,<b64 of the D1 element in
  // 3004 bytes>" (each zero-padded); absent when either element is absent or longer.
  virtual std::optional<std::string> getRawData() const;
  // base64 of {"certificate":"<b64 of the certificate>"}; absent without one.
  virtual std::optional<std::string> getVerifyingParams() const;
  // base64 of SHA-256(front image in 7000 bytes || photo in 3000 bytes), each zero-padded; absent
  // when either is absent or longer.
  virtual std::optional<std::string> getHashData() const;
  // base64 of the check code; absent without one.
  virtual std::optional<std::string> getSignature() const;
};

}  // namespace ekyc
