#include "DriverLicense/LicenseSignature.hpp"

#include "TLV/Ber.hpp"
#include "Utility/ConstTag.hpp"
#include "Utility/Utility.hpp"

namespace ekyc {

LicenseSignature::LicenseSignature(Bytes signature, Bytes serial, Bytes issuer, Bytes subject,
                                   Bytes subjectKeyIdentifier)
    : signature_(std::move(signature)),
      serial_(std::move(serial)),
      issuer_(std::move(issuer)),
      subject_(std::move(subject)),
      subjectKeyIdentifier_(std::move(subjectKeyIdentifier)) {}

std::optional<LicenseSignature> LicenseSignature::fromFile(const Bytes& file) {
  const ConstTag tag;
  const auto d = Ber().parseForDriverLicense(file, tag.SIGNATURES, false);
  const auto signature = Ber::entry(d, tag.SIGNATURE);
  const auto serial = Ber::entry(d, tag.SERIAL);
  const auto issuer = Ber::entry(d, tag.ISSUER);
  const auto subject = Ber::entry(d, tag.SUBJECT);
  const auto ski = Ber::entry(d, tag.SUBJECT_KEY_IDENTIFIER);
  if (!signature || !serial || !issuer || !subject || !ski) return std::nullopt;
  return LicenseSignature(*signature, *serial, *issuer, *subject, *ski);
}

std::optional<std::string> LicenseSignature::getSerial() const { return Utility().dataToUTF8String(serial_); }
std::optional<std::string> LicenseSignature::getIssuer() const { return Utility().dataToUTF8String(issuer_); }
std::optional<std::string> LicenseSignature::getSubject() const { return Utility().dataToUTF8String(subject_); }

}  // namespace ekyc
