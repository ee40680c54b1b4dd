#include "DriverLicense/LicenseCommonData.hpp"

#include <algorithm>

#include "TLV/Ber.hpp"
#include "Utility/ConstTag.hpp"

namespace ekyc {

namespace {
constexpr std::size_t kVersionLength = 3;
constexpr std::size_t kIssueDateOffset = 3;
constexpr std::size_t kExpireDateOffset = 7;
constexpr std::size_t kDateLength = 4;
constexpr std::size_t kManufacturerOffset = 0;
constexpr std::size_t kEncryptionOffset = 1;
}  // namespace

LicenseCommonData::LicenseCommonData(Bytes issuer, Bytes issueBefore)
    : issuer_(std::move(issuer)), issueBefore_(std::move(issueBefore)) {}

std::optional<LicenseCommonData> LicenseCommonData::fromFile(const Bytes& file) {
  const ConstTag tag;
  const auto d = Ber().parseForDriverLicense(file, tag.COMMON_DATA, false);
  const auto issuer = Ber::entry(d, tag.CARD_ISSUER);
  const auto issueBefore = Ber::entry(d, tag.CARD_ISSUE_BEFORE);
  if (!issuer || !issueBefore) return std::nullopt;
  return LicenseCommonData(*issuer, *issueBefore);
}

std::optional<Bytes> LicenseCommonData::field(const Bytes& value, std::size_t offset, std::size_t length) {
  if (value.size() < offset + length) return std::nullopt;
  return Bytes(value.begin() + static_cast<long>(offset), value.begin() + static_cast<long>(offset + length));
}

std::optional<std::string> LicenseCommonData::getVersion() const {
  const auto version = field(issuer_, 0, kVersionLength);
  if (!version || !std::ranges::all_of(*version, [](std::uint8_t b) { return b >= 0x20 && b <= 0x7E; }))
    return std::nullopt;
  return std::string(version->begin(), version->end());
}

std::optional<std::string> LicenseCommonData::date(std::size_t offset) const {
  const auto bcd = field(issuer_, offset, kDateLength);
  if (!bcd) return std::nullopt;
  // Packed BCD reads as its own hex text: "20250401" for 20 25 04 01.
  std::string digits = utility_.dataToHexString(*bcd);
  if (!std::ranges::all_of(digits, [](char c) { return c >= '0' && c <= '9'; })) return std::nullopt;
  return digits;
}

std::optional<std::string> LicenseCommonData::getIssueDate() const { return date(kIssueDateOffset); }
std::optional<std::string> LicenseCommonData::getExpireDate() const { return date(kExpireDateOffset); }

std::optional<std::string> LicenseCommonData::getManufacturerID() const {
  const auto id = field(issueBefore_, kManufacturerOffset, 1);
  return id ? std::optional(utility_.dataToHexString(*id)) : std::nullopt;
}

std::optional<std::string> LicenseCommonData::getEncryptionID() const {
  const auto id = field(issueBefore_, kEncryptionOffset, 1);
  return id ? std::optional(utility_.dataToHexString(*id)) : std::nullopt;
}

}  // namespace ekyc
