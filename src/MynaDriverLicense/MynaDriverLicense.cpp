#include "MynaDriverLicense/MynaDriverLicense.hpp"

#include "Platform/Base64.hpp"
#include "Platform/Digest.hpp"
#include "Utility/ConstTag.hpp"
#include "Utility/Utility.hpp"

namespace ekyc {

namespace {

// The tag tables, built once: a ConstTag costs tens of microseconds to fill, and every getter needs one.
const ConstTag& tags() {
  static const ConstTag table;
  return table;
}

Ber::TagDictionary parsed(const std::optional<Bytes>& data, const std::vector<std::string>& tagList) {
  if (!data) return {};
  return Ber().parseForMynaDriverLicense(*data, tagList, false);
}

std::optional<Bytes> value(const Ber::TagDictionary* dic, const std::string& tag) {
  if (!dic) return std::nullopt;
  return Ber::entry(*dic, tag);
}

std::optional<std::string> utf8(const Ber::TagDictionary* dic, const std::string& tag) {
  return Utility().dataToUTF8StringForMynaDriverLicense(value(dic, tag));
}

}  // namespace

MynaDriverLicense::MynaDriverLicense(std::optional<Bytes> entries, std::optional<Bytes> signature)
    : entriesRawData(std::move(entries)),
      signatureRawData(std::move(signature)),
      entriesDic(parsed(entriesRawData, tags().MYNA_DRIVER_LICENSE_ENTRIES)),
      signatureDic(parsed(signatureRawData, tags().MYNA_DRIVER_LICENSE_SIGNATURES)) {}

const Ber::TagDictionary* MynaDriverLicense::entries() const {
  return entriesRawData && !entriesRawData->empty() ? &entriesDic : nullptr;
}

const Ber::TagDictionary* MynaDriverLicense::signatures() const {
  return signatureRawData && !signatureRawData->empty() ? &signatureDic : nullptr;
}

std::optional<std::string> MynaDriverLicense::getHistoryRecordDate() const {
  return utf8(entries(), tags().MYNA_DRIVER_LICENSE_HISTORY_RECORD_DATE);
}

std::optional<std::string> MynaDriverLicense::getDriverClass() const {
  const auto bytes = value(entries(), tags().MYNA_DRIVER_LICENSE_DRIVER_CLASS);
  if (!bytes || bytes->empty()) return std::nullopt;
  return Utility().dataToHexString(*bytes);
}

std::optional<std::string> MynaDriverLicense::getColorClass() const {
  return Utility().convertMynaDriverLicenseChar(value(entries(), tags().MYNA_DRIVER_LICENSE_COLOR_CLASS));
}

std::optional<std::string> MynaDriverLicense::getExpireData() const {
  return utf8(entries(), tags().MYNA_DRIVER_LICENSE_EXPIRE_DATE);
}

std::optional<MynaDriverLicense::TextList> MynaDriverLicense::getConditionList() const {
  if (!entries()) return std::nullopt;
  return Utility().fetchJISStringValueByTag(entriesDic, tags().MYNA_DRIVER_LICENSE_CONDITION_LIST);
}

std::optional<MynaDriverLicense::DataList> MynaDriverLicense::getOmittedCharacterList() const {
  if (!entries()) return std::nullopt;
  return Utility().fetchDataValueByTag(entriesDic, tags().MYNA_DRIVER_LICENSE_OMITTED_CHARACHTER_LIST);
}

std::optional<MynaDriverLicense::TextList> MynaDriverLicense::getRemarkList() const {
  if (!entries()) return std::nullopt;
  return Utility().fetchJISStringValueByTag(entriesDic, tags().MYNA_DRIVER_LICENSE_REMARK_LIST);
}

std::optional<MynaDriverLicense::TextList> MynaDriverLicense::getSpareList() const {
  if (!entries()) return std::nullopt;
  return Utility().fetchJISStringValueByTag(entriesDic, tags().MYNA_DRIVER_LICENSE_SPARE_LIST);
}

std::optional<std::string> MynaDriverLicense::getLicenseRecordNumber() const {
  return utf8(entries(), tags().MYNA_DRIVER_LICENSE_LICENSE_RECORD_NUMBER);
}

std::optional<std::string> MynaDriverLicense::getHistoryRecordNumber() const {
  return utf8(entries(), tags().MYNA_DRIVER_LICENSE_HISTORY_RECORD_NUMBER);
}

std::optional<MynaDriverLicense::TextList> MynaDriverLicense::getLicenseObtainedDateList() const {
  if (!entries()) return std::nullopt;
  return Utility().fetchUTF8StringValueByTag(entriesDic, tags().MYNA_DRIVER_LICENSE_OBTAINED_DATE_LIST);
}

std::optional<MynaDriverLicense::DataList> MynaDriverLicense::getLicenseCategoryList() const {
  if (!entries()) return std::nullopt;
  return Utility().fetchDataValueByTag(entriesDic, tags().MYNA_DRIVER_LICENSE_CATEGORY_LIST);
}

std::optional<MynaDriverLicense::DataList> MynaDriverLicense::getEntriesRFUList() const {
  if (!entries()) return std::nullopt;
  return Utility().fetchDataValueByTag(entriesDic, tags().MYNA_DRIVER_LICENSE_ENTRIES_RFU_LIST);
}

std::optional<Bytes> MynaDriverLicense::getPhoto() const {
  return value(entries(), tags().MYNA_DRIVER_LICENSE_PHOTO);
}

std::optional<Bytes> MynaDriverLicense::getSignatureBinary() const {
  return value(signatures(), tags().MYNA_DRIVER_LICENSE_SIGNATURE);
}

std::optional<std::string> MynaDriverLicense::getSerial() const {
  return utf8(signatures(), tags().MYNA_DRIVER_LICENSE_SERIAL);
}

std::optional<Bytes> MynaDriverLicense::getRFU() const { return value(signatures(), tags().MYNA_DRIVER_LICENSE_RFU); }

std::optional<std::string> MynaDriverLicense::getIssuer() const {
  return utf8(signatures(), tags().MYNA_DRIVER_LICENSE_ISSUER);
}

std::optional<std::string> MynaDriverLicense::getSubject() const {
  return utf8(signatures(), tags().MYNA_DRIVER_LICENSE_SUBJECT);
}

std::optional<Bytes> MynaDriverLicense::getSubjectKeyIdentifier() const {
  return value(signatures(), tags().MYNA_DRIVER_LICENSE_SKI);
}

std::optional<std::string> MynaDriverLicense::getRawData() const {
  if (!entries()) return std::nullopt;
  return Base64::encode(*entriesRawData);
}

std::optional<std::string> MynaDriverLicense::getHashData() const {
  if (!entries()) return std::nullopt;
  return Base64::encode(Digest::sha256(*entriesRawData));
}

std::optional<std::string> MynaDriverLicense::getVerifyingParams() const {
  const auto ski = getSubjectKeyIdentifier();
  if (!ski || ski->empty()) return std::nullopt;
  const auto json = Utility().createJsonVerifyingParams(Utility::ski, *ski);
  if (!json) return std::nullopt;
  return Base64::encode(*json);
}

std::optional<std::string> MynaDriverLicense::getSignature() const {
  const auto signature = getSignatureBinary();
  if (!signature || signature->empty()) return std::nullopt;
  return Base64::encode(*signature);
}

}  // namespace ekyc
