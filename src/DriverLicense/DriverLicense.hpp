#pragma once
// The result of one reading of an IC driving licence: its decoded parts (common data, entries,
// registered domicile, external characters, change history, signature file, photo) and the raw
// bytes of the three signed files, from which it gives the integrity data: the hash of the
// verification source ("expectedHash"), the signature, the verifying parameters (the key's SKI),
// the partial SHA-256 after 16 blocks (WIP hash), the parity hash and the offset.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "DriverLicense/LicenseChangedEntries.hpp"
#include "DriverLicense/LicenseChangedRegisteredDomicile.hpp"
#include "DriverLicense/LicenseCommonData.hpp"
#include "DriverLicense/LicenseEntries.hpp"
#include "DriverLicense/LicenseExternalCharacter.hpp"
#include "DriverLicense/LicenseExternalCharacters.hpp"
#include "DriverLicense/LicenseSignature.hpp"
#include "Extension/Bytes.hpp"

namespace ekyc {

class DriverLicense {
 public:
  DriverLicense(std::optional<LicenseCommonData> licenseCommonData, std::optional<LicenseEntries> licenseEntries,
                std::optional<Bytes> registeredDomicile,
                std::optional<LicenseExternalCharacters> licenseExternalCharacters,
                std::optional<LicenseChangedEntries> licenseChangedEntries,
                std::optional<LicenseChangedRegisteredDomicile> licenseChangedRegisteredDomicile,
                std::optional<LicenseSignature> licenseSignature, std::optional<Bytes> photo,
                std::optional<Bytes> licenseEntriesRawData, std::optional<Bytes> registeredDomicileRawData,
                std::optional<Bytes> photoRawData);

  const std::optional<LicenseCommonData>& getLicenseCommonData() const { return licenseCommonData_; }
  const std::optional<LicenseEntries>& getLicenseEntries() const { return licenseEntries_; }
  // The registered domicile as text (JIS X 0208, external characters as white squares).
  std::optional<std::string> getRegisteredDomicile() const;
  const std::optional<LicenseExternalCharacters>& getLicenseExternalCharacters() const {
    return licenseExternalCharacters_;
  }
  const std::optional<LicenseChangedEntries>& getLicenseChangedEntries() const { return licenseChangedEntries_; }
  const std::optional<LicenseChangedRegisteredDomicile>& getLicenseChangedRegisteredDomicile() const {
    return licenseChangedRegisteredDomicile_;
  }
  const std::optional<LicenseSignature>& getLicenseSignature() const { return licenseSignature_; }
  const std::optional<Bytes>& getPhoto() const { return photo_; }
  const std::optional<Bytes>& registeredDomicile() const { return registeredDomicile_; }
  const std::optional<Bytes>& licenseEntriesRawData() const { return licenseEntriesRawData_; }
  const std::optional<Bytes>& registeredDomicileRawData() const { return registeredDomicileRawData_; }
  const std::optional<Bytes>& photoRawData() const { return photoRawData_; }
  // Starts absent; neither the constructor nor the reader sets it.
  std::optional<Bytes> verifyingParams;

  std::optional<std::vector<int>> indexesOfExternalCharInRegisteredDomicile() const;
  std::optional<LicenseExternalCharacter> getExternalCharInRegisteredDomicile(std::optional<int> index) const;

  // Base64 texts (standard alphabet, padded, one line).
  std::optional<std::string> getSignature() const;
  std::optional<std::string> getLicenseEntriesRawData() const;
  std::optional<std::string> getRegisteredDomicileRawData() const;
  std::optional<std::string> getPhotoRawData() const;
  // base64 of {"ski":"<base64 of B6>"}.
  std::optional<std::string> getLicenseVerifyingParams() const;
  // base64 SHA-256 of the 2967-byte source; absent when a raw file is absent or shorter than its
  // part of the source.
  std::optional<std::string> getLicenseHashData() const;
  // base64 of the SHA-256 chaining value after 16 blocks of the three raw files joined.
  std::optional<std::string> getWIPHash() const;
  std::optional<std::string> getParityHash() const;
  // Photo bytes that complete the last 64-byte block begun by the two text files; 0 without the
  // three raw files.
  std::int64_t getOffset() const;

 private:
  bool hasRawData() const { return licenseEntriesRawData_ && registeredDomicileRawData_ && photoRawData_; }

  std::optional<LicenseCommonData> licenseCommonData_;
  std::optional<LicenseEntries> licenseEntries_;
  std::optional<Bytes> registeredDomicile_;
  std::optional<LicenseExternalCharacters> licenseExternalCharacters_;
  std::optional<LicenseChangedEntries> licenseChangedEntries_;
  std::optional<LicenseChangedRegisteredDomicile> licenseChangedRegisteredDomicile_;
  std::optional<LicenseSignature> licenseSignature_;
  std::optional<Bytes> photo_;
  std::optional<Bytes> licenseEntriesRawData_;
  std::optional<Bytes> registeredDomicileRawData_;
  std::optional<Bytes> photoRawData_;
};

}  // namespace ekyc
