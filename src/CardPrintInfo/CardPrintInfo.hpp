#pragma once
// What is printed on the face of an Individual Number Card (images, photo, expiry date), the four
// basic items as text from the input-support application with the name split into current and
// previous name, and the integrity data of both applications. It gives that data in the forms the
// verification server takes: the text side (input-support application, request type "12"), the
// image side (card-surface application, "11") and both ("13", image side first).
#include <map>
#include <optional>
#include <string>

#include "Extension/Bytes.hpp"

namespace ekyc {

class CardPrintInfo {
 public:
  // Fields, in order; each can be read and written.
  std::optional<Bytes> allName;           // DF22 of input-support EF 0002, previous name included
  std::optional<Bytes> commonName;        // the name without the bracketed previous name
  std::optional<Bytes> previousName;      // the text between "［" and "］"
  std::optional<bool> isIncludePadding;   // not used; stays absent
  std::optional<Bytes> address;           // DF23 of input-support EF 0002
  std::optional<Bytes> dateOfBirth;       // DF24 of input-support EF 0002
  std::optional<Bytes> gender;            // DF25 of input-support EF 0002
  std::optional<Bytes> expireDate;        // DF29 of card-surface EF 0002
  std::optional<Bytes> commonNameImage;   // DF25 of card-surface EF 0002
  std::optional<Bytes> addressImage;      // DF26 of card-surface EF 0002
  std::optional<Bytes> securityCodeImage;  // DF2A of card-surface EF 0002
  std::optional<Bytes> photo;             // DF27 of card-surface EF 0002
  bool includePreviousName = false;       // whether the name holds a previous name
  std::optional<Bytes> hashMyNumberInfo;  // DF31 of input-support EF 0003
  std::optional<Bytes> certCardPrintInfo;  // 7F21 value of card-surface EF 0004
  std::optional<Bytes> certSupport;       // 7F21 value of input-support EF 0004
  std::optional<Bytes> cardPrintInfoVerifySrc;  // whole TLVs DF22..DF27 of card-surface EF 0002
  std::optional<Bytes> supportVerifySrc;        // whole TLVs DF22..DF25 of input-support EF 0002
  std::optional<Bytes> cardPrintInfoSignature;  // DF28 of card-surface EF 0002
  std::optional<Bytes> supportSignature;        // DF33 of input-support EF 0003

  // Note the order of the last four arguments, which differs from the field order.
  CardPrintInfo(std::optional<Bytes> allName, std::optional<Bytes> commonName, std::optional<Bytes> previousName,
                bool isIncludePreviousName, std::optional<Bytes> address, std::optional<Bytes> dateOfBirth,
                std::optional<Bytes> gender, std::optional<Bytes> expireDate, std::optional<Bytes> commonNameImage,
                std::optional<Bytes> addressImage, std::optional<Bytes> securityCodeImage, std::optional<Bytes> photo,
                std::optional<Bytes> hashMyNumberInfo, std::optional<Bytes> certCardPrintInfo,
                std::optional<Bytes> certSupport, std::optional<Bytes> cardPrintInfoSignature,
                std::optional<Bytes> supportSignature, std::optional<Bytes> cardPrintInfoVerifySrc,
                std::optional<Bytes> supportVerifySrc);

  // 24 members, every value a text; an absent result is "".
  std::map<std::string, std::string> asDictionary() const;
  std::string toJson() const;

  // Text items decoded as UTF-8: absent when the field is absent, "" when it is not UTF-8.
  std::optional<std::string> getAllName() const;
  std::optional<std::string> getCommonName() const;
  std::optional<std::string> getPreviousName() const;  // also absent when the field is empty
  bool isIncludePreviousName() const;
  std::optional<std::string> getAddress() const;
  std::optional<std::string> getDateOfBirth() const;
  std::optional<std::string> getGender() const;
  std::optional<std::string> getExpireDate() const;

  std::optional<Bytes> getCommonNameImage() const;
  std::optional<Bytes> getAddressImage() const;
  std::optional<Bytes> getSecurityCodeImage() const;
  std::optional<Bytes> getPhoto() const;

  // Text side: base64 of supportSignature / supportVerifySrc / SHA-256(supportVerifySrc) /
  // verifying parameters of certSupport with hashMyNumberInfo.
  std::optional<std::string> getCardPrintInfoSignature() const;
  std::optional<std::string> getCardPrintInfoRawData() const;
  std::optional<std::string> getCardPrintInfoHashData() const;
  std::optional<std::string> getCardPrintInfoVerifyingParams() const;

  // Image side: base64 of cardPrintInfoSignature / cardPrintInfoVerifySrc / the 96 bytes
  // H(DF22 DF23 DF24) H(DF25 DF26) H(DF27) / verifying parameters of certCardPrintInfo.
  std::optional<std::string> getCardPrintInfoImageSignature() const;
  std::optional<std::string> getCardPrintInfoImageRawData() const;
  std::optional<std::string> getCardPrintInfoImageHashData() const;
  std::optional<std::string> getCardPrintInfoImageVerifyingParams() const;

  // Both sides: base64 of ["<image side>","<text side>"]; absent when either is absent.
  std::optional<std::string> getCardPrintInfoAllSignature() const;
  std::optional<std::string> getCardPrintInfoAllRawData() const;
  std::optional<std::string> getCardPrintInfoAllHashData() const;
  std::optional<std::string> getCardPrintInfoAllVerifyingParams() const;

  // The 96-byte image-side source H(DF22 DF23 DF24) H(DF25 DF26) H(DF27) from the whole elements
  // of a card-surface tag dictionary (Ber.parseToTLV); absent when one of the six is missing. The
  // card-surface readers send these bytes as their expected hash.
  static std::optional<Bytes> imageDigests(const std::map<std::string, Bytes>& wholeElements);
  // The record as the card-surface readers build it from the values of input-support EF 0002
  // (`basicItems`: name, address, date of birth, gender) and of card-surface EF 0002 (`surface`:
  // images, photo, expiry date), the name split around "［" and "］", and the integrity data.
  static CardPrintInfo fromCardFiles(const std::map<std::string, Bytes>& basicItems,
                                     const std::map<std::string, Bytes>& surface, std::optional<Bytes> hashMyNumberInfo,
                                     std::optional<Bytes> certCardPrintInfo, std::optional<Bytes> certSupport,
                                     std::optional<Bytes> cardPrintInfoSignature, std::optional<Bytes> supportSignature,
                                     std::optional<Bytes> cardPrintInfoVerifySrc, std::optional<Bytes> supportVerifySrc);
  // The six whole elements DF22..DF27 joined; absent when one is missing.
  static std::optional<Bytes> imageElements(const std::map<std::string, Bytes>& wholeElements);
};

}  // namespace ekyc
