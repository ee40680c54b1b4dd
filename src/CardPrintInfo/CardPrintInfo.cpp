#include "CardPrintInfo/CardPrintInfo.hpp"

#include "Platform/Base64.hpp"
#include "Platform/Digest.hpp"
#include "Platform/Json.hpp"
#include "TLV/Ber.hpp"
#include "Utility/Const.hpp"
#include "Utility/ConstTag.hpp"
#include "Utility/Utility.hpp"

namespace ekyc {

namespace {

std::optional<std::string> base64(const std::optional<Bytes>& data) {
  if (!data) return std::nullopt;
  return Base64::encode(*data);
}

std::optional<std::string> text(const std::optional<Bytes>& data) {
  if (!data) return std::nullopt;
  return Utility().dataToUTF8String(data);
}

std::optional<std::string> verifyingParams(const std::optional<Bytes>& publicKey, const std::optional<Bytes>& hash) {
  if (!publicKey) return std::nullopt;
  return base64(Utility().createJsonVerifyingParams(*publicKey, hash));
}

std::optional<std::string> pair(const std::optional<std::string>& image, const std::optional<std::string>& text) {
  if (!image || !text) return std::nullopt;
  return Utility().createBase64EncodedArray(*image, *text);
}

std::string hex(const std::optional<Bytes>& data) { return data ? Utility().dataToHexString(*data) : ""; }

// The whole elements of the given tags, joined in order; absent when one is missing.
std::optional<Bytes> joined(const std::map<std::string, Bytes>& elements, std::initializer_list<std::string> tags) {
  Bytes out;
  for (const auto& tag : tags) {
    const auto it = elements.find(tag);
    if (it == elements.end()) return std::nullopt;
    out.insert(out.end(), it->second.begin(), it->second.end());
  }
  return out;
}

}  // namespace

CardPrintInfo::CardPrintInfo(std::optional<Bytes> allName_, std::optional<Bytes> commonName_,
                             std::optional<Bytes> previousName_, bool isIncludePreviousName_,
                             std::optional<Bytes> address_, std::optional<Bytes> dateOfBirth_,
                             std::optional<Bytes> gender_, std::optional<Bytes> expireDate_,
                             std::optional<Bytes> commonNameImage_, std::optional<Bytes> addressImage_,
                             std::optional<Bytes> securityCodeImage_, std::optional<Bytes> photo_,
                             std::optional<Bytes> hashMyNumberInfo_, std::optional<Bytes> certCardPrintInfo_,
                             std::optional<Bytes> certSupport_, std::optional<Bytes> cardPrintInfoSignature_,
                             std::optional<Bytes> supportSignature_, std::optional<Bytes> cardPrintInfoVerifySrc_,
                             std::optional<Bytes> supportVerifySrc_)
    : allName(std::move(allName_)),
      commonName(std::move(commonName_)),
      previousName(std::move(previousName_)),
      address(std::move(address_)),
      dateOfBirth(std::move(dateOfBirth_)),
      gender(std::move(gender_)),
      expireDate(std::move(expireDate_)),
      commonNameImage(std::move(commonNameImage_)),
      addressImage(std::move(addressImage_)),
      securityCodeImage(std::move(securityCodeImage_)),
      photo(std::move(photo_)),
      includePreviousName(isIncludePreviousName_),
      hashMyNumberInfo(std::move(hashMyNumberInfo_)),
      certCardPrintInfo(std::move(certCardPrintInfo_)),
      certSupport(std::move(certSupport_)),
      cardPrintInfoVerifySrc(std::move(cardPrintInfoVerifySrc_)),
      supportVerifySrc(std::move(supportVerifySrc_)),
      cardPrintInfoSignature(std::move(cardPrintInfoSignature_)),
      supportSignature(std::move(supportSignature_)) {}

std::optional<Bytes> CardPrintInfo::imageElements(const std::map<std::string, Bytes>& wholeElements) {
  const ConstTag tag;
  return joined(wholeElements, {tag.CARD_P_INFO_DATEOFBIRTH, tag.CARD_P_INFO_GENDER, tag.CARD_P_INFO_IN_CERT,
                                tag.CARD_P_INFO_NAME, tag.CARD_P_INFO_ADD, tag.CARD_P_INFO_PHOTO});
}

CardPrintInfo CardPrintInfo::fromCardFiles(const std::map<std::string, Bytes>& basicItems,
                                           const std::map<std::string, Bytes>& surface,
                                           std::optional<Bytes> hashMyNumberInfo, std::optional<Bytes> certCardPrintInfo,
                                           std::optional<Bytes> certSupport, std::optional<Bytes> cardPrintInfoSignature,
                                           std::optional<Bytes> supportSignature,
                                           std::optional<Bytes> cardPrintInfoVerifySrc,
                                           std::optional<Bytes> supportVerifySrc) {
  const ConstTag tag;
  const Const c;
  const Utility utility;
  const auto value = &Ber::entry;
  const auto name = value(basicItems, tag.BASIC_P_INFO_NAME);
  std::optional<Bytes> commonName, previousName;
  bool includePreviousName = false;
  if (name) {
    // A previous name needs "］" after "［"; a name with "［" alone is kept whole, without one.
    const std::string text = utility.dataToUTF8String(name);
    const auto left = text.find(c.COMMON_BRACKET_LEFT);
    includePreviousName = utility.isIncludePreviousName(*name, c.COMMON_BRACKET_LEFT) && left != std::string::npos &&
                          text.find(c.COMMON_BRACKET_RIGHT, left + c.COMMON_BRACKET_LEFT.size()) != std::string::npos;
    if (includePreviousName) {
      previousName = utility.fetchPreviousName(*name, c.COMMON_BRACKET_LEFT, c.COMMON_BRACKET_RIGHT);
      commonName = utility.fetchCommonName(*name, c.COMMON_BRACKET_LEFT, c.COMMON_BRACKET_RIGHT);
    } else {
      commonName = name;
    }
  }
  return CardPrintInfo(name, commonName, previousName, includePreviousName, value(basicItems, tag.BASIC_P_INFO_ADD),
                       value(basicItems, tag.BASIC_P_INFO_DATEOFBIRTH), value(basicItems, tag.BASIC_P_INFO_GENDER),
                       value(surface, tag.CARD_P_INFO_EXPIRE_DATE), value(surface, tag.CARD_P_INFO_NAME),
                       value(surface, tag.CARD_P_INFO_ADD), value(surface, tag.CARD_P_INFO_SECURITY_CODE),
                       value(surface, tag.CARD_P_INFO_PHOTO), std::move(hashMyNumberInfo), std::move(certCardPrintInfo),
                       std::move(certSupport), std::move(cardPrintInfoSignature), std::move(supportSignature),
                       std::move(cardPrintInfoVerifySrc), std::move(supportVerifySrc));
}

std::optional<Bytes> CardPrintInfo::imageDigests(const std::map<std::string, Bytes>& wholeElements) {
  const ConstTag tag;
  const auto first = joined(wholeElements, {tag.CARD_P_INFO_DATEOFBIRTH, tag.CARD_P_INFO_GENDER, tag.CARD_P_INFO_IN_CERT});
  const auto second = joined(wholeElements, {tag.CARD_P_INFO_NAME, tag.CARD_P_INFO_ADD});
  const auto third = joined(wholeElements, {tag.CARD_P_INFO_PHOTO});
  if (!first || !second || !third) return std::nullopt;
  Bytes out = Digest::sha256(*first);
  const Bytes b = Digest::sha256(*second), c = Digest::sha256(*third);
  out.insert(out.end(), b.begin(), b.end());
  out.insert(out.end(), c.begin(), c.end());
  return out;
}

std::optional<std::string> CardPrintInfo::getAllName() const { return text(allName); }
std::optional<std::string> CardPrintInfo::getCommonName() const { return text(commonName); }
std::optional<std::string> CardPrintInfo::getPreviousName() const {
  if (!previousName || previousName->empty()) return std::nullopt;
  return text(previousName);
}
bool CardPrintInfo::isIncludePreviousName() const { return includePreviousName; }
std::optional<std::string> CardPrintInfo::getAddress() const { return text(address); }
std::optional<std::string> CardPrintInfo::getDateOfBirth() const { return text(dateOfBirth); }
std::optional<std::string> CardPrintInfo::getGender() const { return text(gender); }
std::optional<std::string> CardPrintInfo::getExpireDate() const { return text(expireDate); }

std::optional<Bytes> CardPrintInfo::getCommonNameImage() const { return commonNameImage; }
std::optional<Bytes> CardPrintInfo::getAddressImage() const { return addressImage; }
std::optional<Bytes> CardPrintInfo::getSecurityCodeImage() const { return securityCodeImage; }
std::optional<Bytes> CardPrintInfo::getPhoto() const { return photo; }

std::optional<std::string> CardPrintInfo::getCardPrintInfoSignature() const { return base64(supportSignature); }
std::optional<std::string> CardPrintInfo::getCardPrintInfoRawData() const { return base64(supportVerifySrc); }
std::optional<std::string> CardPrintInfo::getCardPrintInfoHashData() const {
  if (!supportVerifySrc) return std::nullopt;
  return Base64::encode(Digest::sha256(*supportVerifySrc));
}
std::optional<std::string> CardPrintInfo::getCardPrintInfoVerifyingParams() const {
  return verifyingParams(certSupport, hashMyNumberInfo);
}

std::optional<std::string> CardPrintInfo::getCardPrintInfoImageSignature() const {
  return base64(cardPrintInfoSignature);
}
std::optional<std::string> CardPrintInfo::getCardPrintInfoImageRawData() const {
  return base64(cardPrintInfoVerifySrc);
}
std::optional<std::string> CardPrintInfo::getCardPrintInfoImageHashData() const {
  if (!cardPrintInfoVerifySrc) return std::nullopt;
  const auto elements = Ber().parseToTLV(*cardPrintInfoVerifySrc, ConstTag().CARD_PRINT_INFO, false);
  return base64(imageDigests(elements));
}
std::optional<std::string> CardPrintInfo::getCardPrintInfoImageVerifyingParams() const {
  return verifyingParams(certCardPrintInfo, std::nullopt);
}

std::optional<std::string> CardPrintInfo::getCardPrintInfoAllSignature() const {
  return pair(getCardPrintInfoImageSignature(), getCardPrintInfoSignature());
}
std::optional<std::string> CardPrintInfo::getCardPrintInfoAllRawData() const {
  return pair(getCardPrintInfoImageRawData(), getCardPrintInfoRawData());
}
std::optional<std::string> CardPrintInfo::getCardPrintInfoAllHashData() const {
  return pair(getCardPrintInfoImageHashData(), getCardPrintInfoHashData());
}
std::optional<std::string> CardPrintInfo::getCardPrintInfoAllVerifyingParams() const {
  return pair(getCardPrintInfoImageVerifyingParams(), getCardPrintInfoVerifyingParams());
}

std::map<std::string, std::string> CardPrintInfo::asDictionary() const {
  return {
      {"allName", getAllName().value_or("")},
      {"commonName", getCommonName().value_or("")},
      {"previousName", getPreviousName().value_or("")},
      {"isIncludePreviousName", includePreviousName ? "true" : "false"},
      {"address", getAddress().value_or("")},
      {"dateOfBirth", getDateOfBirth().value_or("")},
      {"gender", getGender().value_or("")},
      {"expireDate", getExpireDate().value_or("")},
      {"commonNameImage", hex(getCommonNameImage())},
      {"addressImage", hex(getAddressImage())},
      {"securityCodeImage", hex(getSecurityCodeImage())},
      {"photo", hex(photo)},
      {"CardPrintInfoSignature", getCardPrintInfoSignature().value_or("")},
      {"CardPrintInfoRawData", getCardPrintInfoRawData().value_or("")},
      {"CardPrintInfoHashData", getCardPrintInfoHashData().value_or("")},
      {"CardPrintInfoVerifyingParams", getCardPrintInfoVerifyingParams().value_or("")},
      {"CardPrintInfoImageSignature", getCardPrintInfoImageSignature().value_or("")},
      {"CardPrintInfoImageRawData", getCardPrintInfoImageRawData().value_or("")},
      {"CardPrintInfoImageHashData", getCardPrintInfoImageHashData().value_or("")},
      {"CardPrintInfoImageVerifyingParams", getCardPrintInfoImageVerifyingParams().value_or("")},
      {"CardPrintInfoAllSignature", getCardPrintInfoAllSignature().value_or("")},
      {"CardPrintInfoAllRawData", getCardPrintInfoAllRawData().value_or("")},
      {"CardPrintInfoAllHashData", getCardPrintInfoAllHashData().value_or("")},
      {"CardPrintInfoAllVerifyingParams", getCardPrintInfoAllVerifyingParams().value_or("")},
  };
}

std::string CardPrintInfo::toJson() const { return Json::write(nlohmann::json(asDictionary())).value_or("{}"); }

}  // namespace ekyc
