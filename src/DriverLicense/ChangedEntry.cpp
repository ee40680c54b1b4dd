#include "DriverLicense/ChangedEntry.hpp"

#include "Utility/Utility.hpp"

namespace ekyc {

namespace {
std::optional<std::string> jis(const std::optional<Bytes>& part) {
  if (!part) return std::nullopt;
  return Utility().convertDriverLicenseChar(*part);
}
}  // namespace

ChangedEntry::ChangedEntry(std::optional<Bytes> jisYear, std::optional<Bytes> changeDate, std::optional<Bytes> value,
                           std::optional<Bytes> pscName)
    : jisYear_(std::move(jisYear)), changeDate_(std::move(changeDate)), value_(std::move(value)), pscName_(std::move(pscName)) {}

std::optional<std::string> ChangedEntry::getJisYear() const {
  if (!jisYear_) return std::nullopt;
  return Utility().dataToHexString(*jisYear_);
}
std::optional<std::string> ChangedEntry::getChangeDate() const { return jis(changeDate_); }
std::optional<std::string> ChangedEntry::getValue() const { return jis(value_); }
std::optional<std::string> ChangedEntry::getPscName() const { return jis(pscName_); }

}  // namespace ekyc
