#include "BasicPersonalInfo/BasicPersonalInfo.hpp"

#include "Platform/Base64.hpp"
#include "Platform/Json.hpp"
#include "Utility/Const.hpp"
#include "Utility/Utility.hpp"

namespace ekyc {

namespace {

std::optional<std::string> text(const std::optional<Bytes>& field) {
  if (!field) return std::nullopt;
  return Utility().dataToUTF8String(*field);
}

}  // namespace

BasicPersonalInfo::BasicPersonalInfo(std::optional<Bytes> allName, std::optional<Bytes> commonName,
                                     bool isIncludePreviousName, std::optional<Bytes> previousName,
                                     std::optional<Bytes> gender, std::optional<Bytes> dateOfBirth,
                                     std::optional<Bytes> address, std::optional<Bytes> subCharOfAllName,
                                     std::optional<Bytes> subCharOfCommonName,
                                     std::optional<Bytes> subCharOfPreviousName,
                                     std::optional<Bytes> subCharOfAddress, std::optional<Bytes> yearNumber)
    : allName_(std::move(allName)),
      commonName_(std::move(commonName)),
      includePreviousName_(isIncludePreviousName),
      previousName_(std::move(previousName)),
      gender_(std::move(gender)),
      dateOfBirth_(std::move(dateOfBirth)),
      address_(std::move(address)),
      subCharOfCommonName_(std::move(subCharOfCommonName)),
      subCharOfAllName_(std::move(subCharOfAllName)),
      subCharOfPreviousName_(std::move(subCharOfPreviousName)),
      subCharOfAddress_(std::move(subCharOfAddress)),
      yearNumber_(std::move(yearNumber)) {}

std::optional<std::string> BasicPersonalInfo::getAllName() const { return text(allName_); }
std::optional<std::string> BasicPersonalInfo::getCommonName() const { return text(commonName_); }
std::optional<std::string> BasicPersonalInfo::getPreviousName() const { return text(previousName_); }
std::optional<std::string> BasicPersonalInfo::getAddress() const { return text(address_); }
std::optional<std::string> BasicPersonalInfo::getDateOfBirth() const { return text(dateOfBirth_); }
std::optional<std::string> BasicPersonalInfo::getYearNumber() const { return text(yearNumber_); }
std::optional<std::string> BasicPersonalInfo::getGender() const { return text(gender_); }
std::optional<std::string> BasicPersonalInfo::getSubCharOfAllName() const { return text(subCharOfAllName_); }
std::optional<std::string> BasicPersonalInfo::getSubCharOfCommonName() const { return text(subCharOfCommonName_); }
std::optional<std::string> BasicPersonalInfo::getSubCharOfPreviousName() const {
  return text(subCharOfPreviousName_);
}
std::optional<std::string> BasicPersonalInfo::getSubCharOfAddress() const { return text(subCharOfAddress_); }

std::optional<std::string> BasicPersonalInfo::getBasicPersonalInfoHash() const {
  if (!allName_ || !gender_ || !dateOfBirth_ || !address_) return std::nullopt;
  Bytes joined = *allName_;
  joined.insert(joined.end(), gender_->begin(), gender_->end());
  joined.insert(joined.end(), dateOfBirth_->begin(), dateOfBirth_->end());
  joined.insert(joined.end(), address_->begin(), address_->end());
  return Base64::encode(Utility().createDigest(joined, Const().SHA256));
}

std::map<std::string, std::string> BasicPersonalInfo::asDictionary() const {
  const auto orEmpty = [](const std::optional<std::string>& value) { return value.value_or(""); };
  return {
      {"allName", orEmpty(getAllName())},
      {"commonName", orEmpty(getCommonName())},
      {"isIncludePreviousName", isIncludePreviousName() ? "true" : "false"},
      {"previousName", orEmpty(getPreviousName())},
      {"gender", orEmpty(getGender())},
      {"dateOfBirth", orEmpty(getDateOfBirth())},
      {"yearNumber", orEmpty(getYearNumber())},
      {"address", orEmpty(getAddress())},
      {"subCharOfCommonName", orEmpty(getSubCharOfCommonName())},
      {"subCharOfAllName", orEmpty(getSubCharOfAllName())},
      {"subCharOfPreviousName", orEmpty(getSubCharOfPreviousName())},
      {"subCharOfAddress", orEmpty(getSubCharOfAddress())},
      {"basicPersonalInfoHash", orEmpty(getBasicPersonalInfoHash())},
  };
}

std::string BasicPersonalInfo::toJson() const {
  nlohmann::json object = nlohmann::json::object();
  for (const auto& [key, value] : asDictionary()) object[key] = value;
  return Json::write(object).value_or("{}");
}

}  // namespace ekyc
