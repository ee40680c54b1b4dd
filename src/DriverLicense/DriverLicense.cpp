#include "DriverLicense/DriverLicense.hpp"

#include "Platform/Base64.hpp"
#include "Platform/Digest.hpp"
#include "Sign/SHA256WIP.hpp"
#include "Sign/Signature.hpp"
#include "Utility/ConstDataLength.hpp"
#include "Utility/Utility.hpp"

namespace ekyc {

namespace {
std::optional<std::string> base64(const std::optional<Bytes>& data) {
  if (!data) return std::nullopt;
  return Base64::encode(*data);
}
}  // namespace

DriverLicense::DriverLicense(std::optional<LicenseCommonData> licenseCommonData,
                             std::optional<LicenseEntries> licenseEntries, std::optional<Bytes> registeredDomicile,
                             std::optional<LicenseExternalCharacters> licenseExternalCharacters,
                             std::optional<LicenseChangedEntries> licenseChangedEntries,
                             std::optional<LicenseChangedRegisteredDomicile> licenseChangedRegisteredDomicile,
                             std::optional<LicenseSignature> licenseSignature, std::optional<Bytes> photo,
                             std::optional<Bytes> licenseEntriesRawData, std::optional<Bytes> registeredDomicileRawData,
                             std::optional<Bytes> photoRawData)
    : licenseCommonData_(std::move(licenseCommonData)),
      licenseEntries_(std::move(licenseEntries)),
      registeredDomicile_(std::move(registeredDomicile)),
      licenseExternalCharacters_(std::move(licenseExternalCharacters)),
      licenseChangedEntries_(std::move(licenseChangedEntries)),
      licenseChangedRegisteredDomicile_(std::move(licenseChangedRegisteredDomicile)),
      licenseSignature_(std::move(licenseSignature)),
      photo_(std::move(photo)),
      licenseEntriesRawData_(std::move(licenseEntriesRawData)),
      registeredDomicileRawData_(std::move(registeredDomicileRawData)),
      photoRawData_(std::move(photoRawData)) {}

std::optional<std::string> DriverLicense::getRegisteredDomicile() const {
  if (!registeredDomicile_) return std::nullopt;
  return Utility().convertDriverLicenseChar(*registeredDomicile_);
}

std::optional<std::vector<int>> DriverLicense::indexesOfExternalCharInRegisteredDomicile() const {
  if (!registeredDomicile_) return std::nullopt;
  return LicenseEntries::externalCharPositions(*registeredDomicile_);
}

std::optional<LicenseExternalCharacter> DriverLicense::getExternalCharInRegisteredDomicile(
    std::optional<int> index) const {
  if (!registeredDomicile_) return std::nullopt;
  return LicenseEntries::externalCharAt(*registeredDomicile_, 0, index, licenseExternalCharacters_);
}

std::optional<std::string> DriverLicense::getSignature() const {
  if (!licenseSignature_) return std::nullopt;
  return base64(licenseSignature_->getSignature());
}
std::optional<std::string> DriverLicense::getLicenseEntriesRawData() const { return base64(licenseEntriesRawData_); }
std::optional<std::string> DriverLicense::getRegisteredDomicileRawData() const {
  return base64(registeredDomicileRawData_);
}
std::optional<std::string> DriverLicense::getPhotoRawData() const { return base64(photoRawData_); }

std::optional<std::string> DriverLicense::getLicenseVerifyingParams() const {
  if (!licenseSignature_) return std::nullopt;
  const auto ski = licenseSignature_->getSubjectKeyIdentifier();
  if (!ski) return std::nullopt;
  return base64(Utility().createJsonVerifyingParams(Utility::ski, *ski));
}

std::optional<std::string> DriverLicense::getLicenseHashData() const {
  if (!hasRawData()) return std::nullopt;
  const auto source =
      Signature().createVerifyDriverLicenseSrc(*licenseEntriesRawData_, *registeredDomicileRawData_, *photoRawData_);
  if (!source) return std::nullopt;
  return Base64::encode(Digest::sha256(*source));
}

std::optional<std::string> DriverLicense::getWIPHash() const {
  if (!hasRawData()) return std::nullopt;
  Bytes joined = *licenseEntriesRawData_;
  joined.insert(joined.end(), registeredDomicileRawData_->begin(), registeredDomicileRawData_->end());
  joined.insert(joined.end(), photoRawData_->begin(), photoRawData_->end());
  return Base64::encode(SHA256WIP(std::move(joined), ConstDataLength().DL_LOOP_TIME).calculate32());
}

std::optional<std::string> DriverLicense::getParityHash() const {
  if (!hasRawData()) return std::nullopt;
  return base64(
      Signature().createParityHashForDrierLicense(*licenseEntriesRawData_, *registeredDomicileRawData_, *photoRawData_));
}

std::int64_t DriverLicense::getOffset() const {
  if (!hasRawData()) return 0;
  const auto entries = static_cast<std::int64_t>(licenseEntriesRawData_->size());
  const auto domicile = static_cast<std::int64_t>(registeredDomicileRawData_->size());
  const auto photo = static_cast<std::int64_t>(photoRawData_->size());
  return Signature().calcOffset(entries + domicile + photo, entries + domicile);
}

}  // namespace ekyc
