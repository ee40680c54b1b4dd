#pragma once
// The individual number read from an Individual Number Card, with the image of the number printed
// on the card surface and the integrity data of the two applications that hold them. Besides its
// fields it gives that data in the forms the verification server takes: the number side
// (input-support application, request type "22"), the image side (card-surface application,
// "21") and both ("23", two-element arrays, image side first).
#include <map>
#include <optional>
#include <string>

#include "Extension/Bytes.hpp"

namespace ekyc {

class MyNumberInfo {
 public:
  // Fields, in order; each can be read and written.
  std::optional<Bytes> myNumber;                // 12 ASCII digits: FF10 of input-support EF 0001
  std::optional<Bytes> myNumberImage;           // DF41 of card-surface EF 0005
  std::optional<Bytes> cardPrintInfoSignature;  // DF43 of card-surface EF 0005
  std::optional<Bytes> supportSignature;        // DF33 of input-support EF 0003
  std::optional<Bytes> cardPrintInfoVerifySrc;  // whole TLV DF41 followed by whole TLV DF42
  std::optional<Bytes> supportVerifySrc;        // input-support EF 0001 as read (17 bytes)
  std::optional<Bytes> certCardPrintInfo;       // 7F21 value of card-surface EF 0004
  std::optional<Bytes> certSupport;             // 7F21 value of input-support EF 0004
  std::optional<Bytes> hashPersonalInfo;        // DF32 of input-support EF 0003

  // Note the argument order, which differs from the field order.
  MyNumberInfo(std::optional<Bytes> myNumber, std::optional<Bytes> myNumberImage, std::optional<Bytes> hashPersonalInfo,
               std::optional<Bytes> certCardPrintInfo, std::optional<Bytes> certSupport,
               std::optional<Bytes> cardPrintInfoSignature, std::optional<Bytes> supportSignature,
               std::optional<Bytes> cardPrintInfoVerifySrc, std::optional<Bytes> supportVerifySrc);

  // The 14 members below, every value a text; an absent result is "".
  std::map<std::string, std::string> asDictionary() const;
  // asDictionary as compact JSON ("/" written "\/").
  std::string toJson() const;

  // The number as ASCII text; absent when the field is absent or not ASCII.
  std::optional<std::string> getMyNumber() const;
  std::optional<Bytes> getMyNumberImage() const;

  // Number side: base64 of supportSignature / supportVerifySrc / SHA-256(supportVerifySrc) /
  // verifying parameters of certSupport with hashPersonalInfo.
  std::optional<std::string> getMyNumberSignature() const;
  std::optional<std::string> getMyNumberRawData() const;
  std::optional<std::string> getMyNumberHashData() const;
  std::optional<std::string> getMyNumberVerifyingParams() const;

  // Image side: base64 of cardPrintInfoSignature / cardPrintInfoVerifySrc /
  // SHA-256(cardPrintInfoVerifySrc) / verifying parameters of certCardPrintInfo without hash.
  std::optional<std::string> getMyNumberImageSignature() const;
  std::optional<std::string> getMyNumberImageRawData() const;
  std::optional<std::string> getMyNumberImageHashData() const;
  std::optional<std::string> getMyNumberImageVerifyingParams() const;

  // Both sides: the base64 of ["<image side>","<number side>"]; absent when either is absent.
  std::optional<std::string> getMyNumberAllSignature() const;
  std::optional<std::string> getMyNumberAllRawData() const;
  std::optional<std::string> getMyNumberAllHashData() const;
  std::optional<std::string> getMyNumberAllVerifyingParams() const;
};

}  // namespace ekyc
