#include "DriverLicense/LicenseCommonData.hpp"

namespace ekyc {

LicenseCommonData::LicenseCommonData(Bytes issuer, Bytes issueBefore)
    : issuer_(std::move(issuer)), issueBefore_(std::move(issueBefore)) {}

}  // namespace ekyc
