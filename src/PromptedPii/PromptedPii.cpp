#include "PromptedPii/PromptedPii.hpp"

#include <cstdio>

#include "Platform/Base64.hpp"
#include "Platform/Digest.hpp"
#include "Platform/Json.hpp"
#include "Reader/CardFileFormat.hpp"
#include "TLV/Ber.hpp"
#include "Utility/Const.hpp"
#include "Utility/ConstTag.hpp"
#include "Utility/Utility.hpp"

namespace ekyc {

namespace {

bool present(const std::optional<Bytes>& file) { return file.has_value() && !file->empty(); }

// The file when it is present and parses as its format (CardFileFormat); null otherwise, so that
// nothing is taken from a file that does not parse.
const Bytes* parsed(const std::optional<Bytes>& file, bool (*parses)(const Bytes&)) {
  return present(file) && parses(*file) ? &*file : nullptr;
}

std::optional<std::string> base64(const std::optional<Bytes>& data) {
  if (!data) return std::nullopt;
  return Base64::encode(*data);
}

// The previous name lies between the first "［" and the first "］" after it.
bool bracketsInOrder(const std::string& name) {
  const Const c;
  const auto left = name.find(c.COMMON_BRACKET_LEFT);
  return left != std::string::npos &&
         name.find(c.COMMON_BRACKET_RIGHT, left + c.COMMON_BRACKET_LEFT.size()) != std::string::npos;
}

}  // namespace

PromptedPii::PromptedPii(std::optional<Bytes> myNumberRawData, std::optional<Bytes> personalInfoRawData,
                         std::optional<Bytes> signatureRawData, std::optional<Bytes> publicKeyCertRawData)
    : myNumberRawData_(std::move(myNumberRawData)),
      personalInfoRawData_(std::move(personalInfoRawData)),
      signatureRawData_(std::move(signatureRawData)),
      publicKeyCertRawData_(std::move(publicKeyCertRawData)) {}

const Bytes* PromptedPii::basicItems() const { return parsed(personalInfoRawData_, CardFileFormat::isBasicItemsFile); }

std::optional<Bytes> PromptedPii::nameValue() const {
  const Bytes* file = basicItems();
  if (!file) return std::nullopt;
  const ConstTag tag;
  return Ber::entry(Ber().parse(*file, tag.BASIC_PERSONAL_INFO, true), tag.BASIC_P_INFO_NAME);
}

std::optional<std::string> PromptedPii::itemText(const std::string& tag) const {
  const Bytes* file = basicItems();
  if (!file) return std::nullopt;
  const auto items = Ber().parse(*file, ConstTag().BASIC_PERSONAL_INFO, true);
  return Utility().dataToUTF8String(Ber::entry(items, tag));
}

std::optional<Bytes> PromptedPii::basicItemsBlock() const {
  const Bytes* file = basicItems();
  if (!file) return std::nullopt;
  const ConstTag tag;
  const auto items = Ber().parseToTLV(*file, tag.BASIC_PERSONAL_INFO, true);
  Bytes block;
  for (const auto& t : {tag.BASIC_P_INFO_NAME, tag.BASIC_P_INFO_ADD, tag.BASIC_P_INFO_DATEOFBIRTH, tag.BASIC_P_INFO_GENDER}) {
    const auto element = Ber::entry(items, t);
    if (!element) return std::nullopt;
    block.insert(block.end(), element->begin(), element->end());
  }
  return block;
}

std::optional<Bytes> PromptedPii::certificate() const {
  const Bytes* file = parsed(publicKeyCertRawData_, CardFileFormat::isCertificateFile);
  return file ? CardFileFormat::certificate(*file) : std::nullopt;
}

std::optional<Bytes> PromptedPii::signature() const {
  // Only DF33 is taken from EF 0003: its digests are not examined.
  const Bytes* file = parsed(signatureRawData_, [](const Bytes& f) { return CardFileFormat::isIntegrityFile(f); });
  if (!file) return std::nullopt;
  const ConstTag tag;
  return Ber::entry(Ber().parse(*file, tag.MYNUMBER_HASH, true), tag.MYNUMBER_HASH_SIGNATURE);
}

std::optional<std::string> PromptedPii::getMyNumber() const {
  // A file that parses holds the number as 12 ASCII digits, or not at all.
  const Bytes* file = parsed(myNumberRawData_, CardFileFormat::isNumberFile);
  if (!file) return std::nullopt;
  const auto number = Ber::entry(Ber().parse(*file, ConstTag().MYNUMBER, false), ConstTag().MYNUMBER.front());
  if (!number) return std::nullopt;
  return std::string(number->begin(), number->end());
}

std::optional<std::string> PromptedPii::getAllName() const {
  if (!basicItems()) return std::nullopt;
  return Utility().dataToUTF8String(nameValue());
}

bool PromptedPii::isIncludePreviousName() const {
  if (!basicItems()) return false;
  const std::string name = Utility().dataToUTF8String(nameValue());
  const Const c;
  return name.find(c.COMMON_BRACKET_LEFT) != std::string::npos && name.find(c.COMMON_BRACKET_RIGHT) != std::string::npos;
}

std::optional<std::string> PromptedPii::getCommonName() const {
  if (!basicItems()) return std::nullopt;
  const auto name = nameValue();
  if (!isIncludePreviousName()) return Utility().dataToUTF8String(name);
  // A right bracket only before the left one: no previous name can be cut out.
  if (!bracketsInOrder(Utility().dataToUTF8String(name))) return std::nullopt;
  const Const c;
  return Utility().dataToUTF8String(
      Utility().fetchCommonName(name.value_or(Bytes{}), c.COMMON_BRACKET_LEFT, c.COMMON_BRACKET_RIGHT));
}

std::optional<std::string> PromptedPii::getPreviousName() const {
  if (!isIncludePreviousName()) return std::nullopt;
  const auto name = nameValue();
  if (!bracketsInOrder(Utility().dataToUTF8String(name))) return std::nullopt;
  const Const c;
  const auto previous = Utility().fetchPreviousName(name.value_or(Bytes{}), c.COMMON_BRACKET_LEFT, c.COMMON_BRACKET_RIGHT);
  if (!previous) return std::nullopt;
  return Utility().dataToUTF8String(previous);
}

std::optional<std::string> PromptedPii::getAddress() const { return itemText(ConstTag().BASIC_P_INFO_ADD); }
std::optional<std::string> PromptedPii::getDateOfBirth() const { return itemText(ConstTag().BASIC_P_INFO_DATEOFBIRTH); }
std::optional<std::string> PromptedPii::getGender() const { return itemText(ConstTag().BASIC_P_INFO_GENDER); }

std::optional<std::string> PromptedPii::getMyNumberSignature() const { return base64(signature()); }
std::optional<std::string> PromptedPii::getCardPrintInfoSignature() const { return base64(signature()); }
std::optional<std::string> PromptedPii::getPromptedPiiSignature() const { return base64(signature()); }

std::optional<std::string> PromptedPii::getMyNumberRawData() const {
  if (!present(myNumberRawData_)) return std::nullopt;
  return Base64::encode(*myNumberRawData_);
}

std::optional<std::string> PromptedPii::getMyNumberHashData() const {
  if (!present(myNumberRawData_)) return std::nullopt;
  return Base64::encode(Digest::sha256(*myNumberRawData_));
}

std::optional<std::string> PromptedPii::getMyNumberVerifyingParams() const {
  if (!present(publicKeyCertRawData_) || !present(signatureRawData_) || !present(personalInfoRawData_)) {
    return std::nullopt;
  }
  const auto cert = certificate();
  const auto block = basicItemsBlock();
  if (!cert || !block) return std::nullopt;
  return base64(Utility().createJsonVerifyingParams(*cert, Digest::sha256(*block)));
}

std::optional<std::string> PromptedPii::getCardPrintInfoRawData() const { return base64(basicItemsBlock()); }

std::optional<std::string> PromptedPii::getCardPrintInfoHashData() const {
  const auto block = basicItemsBlock();
  if (!block) return std::nullopt;
  return Base64::encode(Digest::sha256(*block));
}

std::optional<std::string> PromptedPii::getCardPrintInfoVerifyingParams() const {
  if (!present(publicKeyCertRawData_) || !present(signatureRawData_) || !present(myNumberRawData_)) {
    return std::nullopt;
  }
  const auto cert = certificate();
  if (!cert) return std::nullopt;
  return base64(Utility().createJsonVerifyingParams(*cert, Digest::sha256(*myNumberRawData_)));
}

std::optional<std::string> PromptedPii::getPromptedPiiRawData() const {
  const auto number = getMyNumberRawData();
  const auto items = getCardPrintInfoRawData();
  if (!number || !items) return std::nullopt;
  return Base64::encode(toBytes(*number + "," + *items));
}

std::optional<std::string> PromptedPii::getPromptedPiiHashData() const {
  if (!present(myNumberRawData_)) return std::nullopt;
  const auto block = basicItemsBlock();
  if (!block) return std::nullopt;
  // The hash body: the DF31 and DF32 elements of EF 0003 rebuilt from the data, 70 bytes.
  const ConstTag tag;
  const Utility utility;
  const Bytes h1 = Digest::sha256(*myNumberRawData_);
  const Bytes h2 = Digest::sha256(*block);
  char length[3];
  std::snprintf(length, sizeof length, "%02X", static_cast<unsigned>(h1.size()));
  const std::string body = tag.MYNUMBER_HASH_NUMBER + length + utility.dataToHexString(h1) +
                           tag.MYNUMBER_HASH_BASIC_PERSONAL_INFO + length + utility.dataToHexString(h2);
  return Base64::encode(Digest::sha256(utility.hexStringToBinary(body)));
}

std::optional<std::string> PromptedPii::getPromptedPiiVerifyingParams() const {
  const auto cert = certificate();
  if (!cert) return std::nullopt;
  return base64(Utility().createJsonVerifyingParams(*cert, std::nullopt));
}

std::map<std::string, std::string> PromptedPii::asDictionary() const {
  return {
      {"myNumber", getMyNumber().value_or("")},
      {"allName", getAllName().value_or("")},
      {"commonName", getCommonName().value_or("")},
      {"previousName", getPreviousName().value_or("")},
      {"isIncludePreviousName", isIncludePreviousName() ? "true" : "false"},
      {"address", getAddress().value_or("")},
      {"dateOfBirth", getDateOfBirth().value_or("")},
      {"gender", getGender().value_or("")},
      {"MyNumberSignature", getMyNumberSignature().value_or("")},
      {"MyNumberRawData", getMyNumberRawData().value_or("")},
      {"MyNumberHashData", getMyNumberHashData().value_or("")},
      {"MyNumberVerifyingParams", getMyNumberVerifyingParams().value_or("")},
      {"CardPrintInfoSignature", getCardPrintInfoSignature().value_or("")},
      {"CardPrintInfoRawData", getCardPrintInfoRawData().value_or("")},
      {"CardPrintInfoHashData", getCardPrintInfoHashData().value_or("")},
      {"CardPrintInfoVerifyingParams", getCardPrintInfoVerifyingParams().value_or("")},
      {"PromptedPiiSignature", getPromptedPiiSignature().value_or("")},
      {"PromptedPiiRawData", getPromptedPiiRawData().value_or("")},
      {"PromptedPiiHashData", getPromptedPiiHashData().value_or("")},
      {"PromptedPiiVerifyingParams", getPromptedPiiVerifyingParams().value_or("")},
  };
}

std::string PromptedPii::toJson() const { return Json::write(nlohmann::json(asDictionary())).value_or("{}"); }

}  // namespace ekyc
