#pragma once
// The four files of the input-support application of an Individual Number Card, kept exactly as
// read, and everything derived from them on demand: the individual number, the four basic items
// with the name split into current and previous name, and, for the verification server, base64
// texts of the signature, the signed data, hashes and verifying parameters in three scopes: the
// number alone ("MyNumber"), the basic items alone ("CardPrintInfo") and both ("PromptedPii",
// request type "32"). An empty buffer counts as an absent file; every getter recomputes. A value
// is taken from a file only when the file parses as its format (CardFileFormat: whole elements in
// a whole template, a 12-digit number); from one that does not, every value it would give is
// absent. The raw data and the hashes of EF 0001 are of its bytes as read, whatever they hold.
#include <map>
#include <optional>
#include <string>

#include "Extension/Bytes.hpp"

namespace ekyc {

class PromptedPii {
 public:
  PromptedPii(std::optional<Bytes> myNumberRawData, std::optional<Bytes> personalInfoRawData,
              std::optional<Bytes> signatureRawData, std::optional<Bytes> publicKeyCertRawData);

  const std::optional<Bytes>& myNumberRawData() const { return myNumberRawData_; }          // EF 0001
  const std::optional<Bytes>& personalInfoRawData() const { return personalInfoRawData_; }  // EF 0002
  const std::optional<Bytes>& signatureRawData() const { return signatureRawData_; }        // EF 0003
  const std::optional<Bytes>& publicKeyCertRawData() const { return publicKeyCertRawData_; }  // EF 0004

  // 20 members, every value a text; an absent result is "".
  std::map<std::string, std::string> asDictionary() const;
  std::string toJson() const;

  std::optional<std::string> getMyNumber() const;
  std::optional<std::string> getAllName() const;
  std::optional<std::string> getCommonName() const;
  std::optional<std::string> getPreviousName() const;
  bool isIncludePreviousName() const;
  std::optional<std::string> getAddress() const;
  std::optional<std::string> getDateOfBirth() const;
  std::optional<std::string> getGender() const;

  std::optional<std::string> getMyNumberSignature() const;
  std::optional<std::string> getMyNumberRawData() const;
  std::optional<std::string> getMyNumberHashData() const;
  std::optional<std::string> getMyNumberVerifyingParams() const;
  std::optional<std::string> getCardPrintInfoSignature() const;
  std::optional<std::string> getCardPrintInfoRawData() const;
  std::optional<std::string> getCardPrintInfoHashData() const;
  std::optional<std::string> getCardPrintInfoVerifyingParams() const;
  std::optional<std::string> getPromptedPiiSignature() const;
  std::optional<std::string> getPromptedPiiRawData() const;
  std::optional<std::string> getPromptedPiiHashData() const;
  std::optional<std::string> getPromptedPiiVerifyingParams() const;

 private:
  std::optional<Bytes> myNumberRawData_;
  std::optional<Bytes> personalInfoRawData_;
  std::optional<Bytes> signatureRawData_;
  std::optional<Bytes> publicKeyCertRawData_;

  // Parsed parts; each absent when its file is absent, does not parse or lacks the element.
  const Bytes* basicItems() const;               // EF 0002, when it parses
  std::optional<Bytes> nameValue() const;
  std::optional<Bytes> basicItemsBlock() const;  // whole DF22..DF25
  std::optional<Bytes> certificate() const;      // 7F21 value (empty for 7F21 00)
  std::optional<Bytes> signature() const;        // DF33 value
  std::optional<std::string> itemText(const std::string& tag) const;
};

}  // namespace ekyc
