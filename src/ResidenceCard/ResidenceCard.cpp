#include "ResidenceCard/ResidenceCard.hpp"

#include <nlohmann/json.hpp>

#include "Platform/Base64.hpp"
#include "Platform/Digest.hpp"
#include "Platform/Json.hpp"
#include "Utility/ConstDataLength.hpp"
#include "Utility/Utility.hpp"

namespace ekyc {

namespace {

// The value copied into `width` zero bytes; absent when it is longer.
std::optional<Bytes> fixedWidth(const Bytes& value, int width) {
  const auto size = static_cast<std::size_t>(width);
  if (value.size() > size) return std::nullopt;
  Bytes out(size, 0x00);
  std::copy(value.begin(), value.end(), out.begin());
  return out;
}

std::string hexOrEmpty(const std::optional<Bytes>& data) { return data ? Utility().dataToHexString(*data) : ""; }

}  // namespace

ResidenceCard::ResidenceCard(std::optional<Bytes> commonData_, std::int64_t cardType_, std::optional<Bytes> cardEntries_,
                             std::optional<Bytes> photo_, std::optional<ResidenceCardAddresses> residenceCardAddresses,
                             std::optional<Bytes> comprehensivePermission_, std::optional<Bytes> individualPermission_,
                             bool updateStatus_, std::int64_t infoType_,
                             std::optional<ResidenceCardSignatures> residenceCardSignatures,
                             std::optional<Bytes> cardEntriesRawData_, std::optional<Bytes> photoRawData_)
    : commonData(std::move(commonData_)),
      cardType(cardType_),
      cardEntries(std::move(cardEntries_)),
      photo(std::move(photo_)),
      cardEntriesRawData(std::move(cardEntriesRawData_)),
      photoRawData(std::move(photoRawData_)),
      RCAddresses(std::move(residenceCardAddresses)),
      comprehensivePermission(std::move(comprehensivePermission_)),
      individualPermission(std::move(individualPermission_)),
      updateStatus(updateStatus_),
      infoType(infoType_),
      RCSignatures(std::move(residenceCardSignatures)) {}

std::optional<std::string> ResidenceCard::getVersion() const { return Utility().dataToUTF8String(commonData); }
std::string ResidenceCard::getComprehensivePermission() const {
  return Utility().dataToUTF8String(comprehensivePermission);
}
std::string ResidenceCard::getIndividualPermission() const { return Utility().dataToUTF8String(individualPermission); }

std::optional<std::string> ResidenceCard::getRawData() const {
  if (!photoRawData || !cardEntriesRawData) return std::nullopt;
  const ConstDataLength length;
  const auto entries = fixedWidth(*cardEntriesRawData, length.RESIDENCE_CARD_CARD_ENTRIES_PADDING);
  const auto photoElement = fixedWidth(*photoRawData, length.RESIDENCE_CARD_PHOTO_PADDING);
  if (!entries || !photoElement) return std::nullopt;
  return Utility().createBase64EncodedArray(Utility::photo, Base64::encode(*photoElement), Base64::encode(*entries));
}

std::optional<std::string> ResidenceCard::getHashData() const {
  if (!cardEntries || !photo) return std::nullopt;
  const ConstDataLength length;
  auto data = fixedWidth(*cardEntries, length.RESIDENCE_CARD_CARD_ENTRIES_VAL);
  const auto photoValue = fixedWidth(*photo, length.RESIDENCE_CARD_PHOTO_VAL);
  if (!data || !photoValue) return std::nullopt;
  data->insert(data->end(), photoValue->begin(), photoValue->end());
  return Base64::encode(Digest::sha256(*data));
}

std::optional<std::string> ResidenceCard::getSignature() const {
  if (!RCSignatures || !RCSignatures->checkCode) return std::nullopt;
  return Base64::encode(*RCSignatures->checkCode);
}

std::optional<std::string> ResidenceCard::getVerifyingParams() const {
  if (!RCSignatures || !RCSignatures->certificate) return std::nullopt;
  return Base64::encode(Utility().createJsonVerifyingParams(Utility::certificate, *RCSignatures->certificate));
}

std::map<std::string, std::string> ResidenceCard::asDictionary() const {
  std::map<std::string, std::string> d;
  d["version"] = getVersion().value_or("");
  d["cardType"] = std::to_string(getCardType());
  d["cardEntries"] = hexOrEmpty(getCardEntries());
  d["photo"] = hexOrEmpty(getPhoto());
  const auto addresses = getResidenceCardAddresses();
  d["date"] = addresses ? addresses->getDate().value_or("") : "";
  d["code"] = addresses ? addresses->getCode().value_or("") : "";
  d["address"] = addresses ? addresses->getAddress().value_or("") : "";
  d["comprehensivePermission"] = getComprehensivePermission();
  d["individualPermission"] = getIndividualPermission();
  d["isUpdateStatus"] = isUpdateStatus() ? "true" : "false";
  const auto signatures = getResidenceCardSignatures();
  d["checkCode"] = signatures ? hexOrEmpty(signatures->getCheckCode()) : "";
  d["certificate"] = signatures ? hexOrEmpty(signatures->getCertificate()) : "";
  d["signature"] = getSignature().value_or("");
  d["rawData"] = getRawData().value_or("");
  d["hashData"] = getHashData().value_or("");
  d["verifyingParams"] = getVerifyingParams().value_or("");
  d["infoType"] = std::to_string(getInfoType());
  return d;
}

std::string ResidenceCard::toJson() const { return Json::write(nlohmann::json(asDictionary())).value_or("{}"); }

}  // namespace ekyc
