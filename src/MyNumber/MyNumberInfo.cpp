#include "MyNumber/MyNumberInfo.hpp"

#include "Platform/Base64.hpp"
#include "Platform/Digest.hpp"
#include "Platform/Json.hpp"
#include "Utility/Utility.hpp"

namespace ekyc {

namespace {

std::optional<std::string> base64(const std::optional<Bytes>& data) {
  if (!data) return std::nullopt;
  return Base64::encode(*data);
}

std::optional<std::string> base64OfDigest(const std::optional<Bytes>& data) {
  if (!data) return std::nullopt;
  return Base64::encode(Digest::sha256(*data));
}

std::optional<std::string> verifyingParams(const std::optional<Bytes>& publicKey, const std::optional<Bytes>& hash) {
  if (!publicKey) return std::nullopt;
  return base64(Utility().createJsonVerifyingParams(*publicKey, hash));
}

std::optional<std::string> pair(const std::optional<std::string>& image, const std::optional<std::string>& number) {
  if (!image || !number) return std::nullopt;
  return Utility().createBase64EncodedArray(*image, *number);
}

}  // namespace

MyNumberInfo::MyNumberInfo(std::optional<Bytes> myNumber_, std::optional<Bytes> myNumberImage_,
                           std::optional<Bytes> hashPersonalInfo_, std::optional<Bytes> certCardPrintInfo_,
                           std::optional<Bytes> certSupport_, std::optional<Bytes> cardPrintInfoSignature_,
                           std::optional<Bytes> supportSignature_, std::optional<Bytes> cardPrintInfoVerifySrc_,
                           std::optional<Bytes> supportVerifySrc_)
    : myNumber(std::move(myNumber_)),
      myNumberImage(std::move(myNumberImage_)),
      cardPrintInfoSignature(std::move(cardPrintInfoSignature_)),
      supportSignature(std::move(supportSignature_)),
      cardPrintInfoVerifySrc(std::move(cardPrintInfoVerifySrc_)),
      supportVerifySrc(std::move(supportVerifySrc_)),
      certCardPrintInfo(std::move(certCardPrintInfo_)),
      certSupport(std::move(certSupport_)),
      hashPersonalInfo(std::move(hashPersonalInfo_)) {}

std::optional<std::string> MyNumberInfo::getMyNumber() const {
  if (!myNumber) return std::nullopt;
  for (std::uint8_t b : *myNumber) {
    if (b >= 0x80) return std::nullopt;
  }
  return std::string(myNumber->begin(), myNumber->end());
}

std::optional<Bytes> MyNumberInfo::getMyNumberImage() const { return myNumberImage; }

std::optional<std::string> MyNumberInfo::getMyNumberSignature() const { return base64(supportSignature); }
std::optional<std::string> MyNumberInfo::getMyNumberRawData() const { return base64(supportVerifySrc); }
std::optional<std::string> MyNumberInfo::getMyNumberHashData() const { return base64OfDigest(supportVerifySrc); }
std::optional<std::string> MyNumberInfo::getMyNumberVerifyingParams() const {
  return verifyingParams(certSupport, hashPersonalInfo);
}

std::optional<std::string> MyNumberInfo::getMyNumberImageSignature() const { return base64(cardPrintInfoSignature); }
std::optional<std::string> MyNumberInfo::getMyNumberImageRawData() const { return base64(cardPrintInfoVerifySrc); }
std::optional<std::string> MyNumberInfo::getMyNumberImageHashData() const {
  return base64OfDigest(cardPrintInfoVerifySrc);
}
std::optional<std::string> MyNumberInfo::getMyNumberImageVerifyingParams() const {
  return verifyingParams(certCardPrintInfo, std::nullopt);
}

std::optional<std::string> MyNumberInfo::getMyNumberAllSignature() const {
  return pair(getMyNumberImageSignature(), getMyNumberSignature());
}
std::optional<std::string> MyNumberInfo::getMyNumberAllRawData() const {
  return pair(getMyNumberImageRawData(), getMyNumberRawData());
}
std::optional<std::string> MyNumberInfo::getMyNumberAllHashData() const {
  return pair(getMyNumberImageHashData(), getMyNumberHashData());
}
std::optional<std::string> MyNumberInfo::getMyNumberAllVerifyingParams() const {
  return pair(getMyNumberImageVerifyingParams(), getMyNumberVerifyingParams());
}

std::map<std::string, std::string> MyNumberInfo::asDictionary() const {
  const auto image = getMyNumberImage();
  return {
      {"myNumber", getMyNumber().value_or("")},
      {"myNumberImage", image ? Utility().dataToHexString(*image) : ""},
      {"MyNumberSignature", getMyNumberSignature().value_or("")},
      {"MyNumberRawData", getMyNumberRawData().value_or("")},
      {"MyNumberHashData", getMyNumberHashData().value_or("")},
      {"MyNumberVerifyingParams", getMyNumberVerifyingParams().value_or("")},
      {"MyNumberImageSignature", getMyNumberImageSignature().value_or("")},
      {"MyNumberImageRawData", getMyNumberImageRawData().value_or("")},
      {"MyNumberImageHashData", getMyNumberImageHashData().value_or("")},
      {"MyNumberImageVerifyingParams", getMyNumberImageVerifyingParams().value_or("")},
      {"MyNumberAllSignature", getMyNumberAllSignature().value_or("")},
      {"MyNumberAllRawData", getMyNumberAllRawData().value_or("")},
      {"MyNumberAllHashData", getMyNumberAllHashData().value_or("")},
      {"MyNumberAllVerifyingParams", getMyNumberAllVerifyingParams().value_or("")},
  };
}

std::string MyNumberInfo::toJson() const { return Json::write(nlohmann::json(asDictionary())).value_or("{}"); }

}  // namespace ekyc
