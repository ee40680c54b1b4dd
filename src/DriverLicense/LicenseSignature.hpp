#pragma once
// The signature file of an IC driving licence (DF1 EF 0007): the signature over the licence's
// signed source (B1), the serial number (B2), issuer (B4) and subject (B5) of the signing
// certificate as text, and its subject key identifier (B6), which names the verifying key.
#include <optional>
#include <string>

#include "Extension/Bytes.hpp"

namespace ekyc {

class LicenseSignature {
 public:
  LicenseSignature(Bytes signature, Bytes serial, Bytes issuer, Bytes subject, Bytes subjectKeyIdentifier);

  // The record the file gives; absent when B1, B2, B4, B5 or B6 is missing.
  static std::optional<LicenseSignature> fromFile(const Bytes& file);

  const Bytes& signature() const { return signature_; }
  const Bytes& serial() const { return serial_; }
  const Bytes& issuer() const { return issuer_; }
  const Bytes& subject() const { return subject_; }
  const Bytes& subjectKeyIdentifier() const { return subjectKeyIdentifier_; }

  std::optional<Bytes> getSignature() const { return signature_; }
  // UTF-8 text; bytes that are not UTF-8 give the empty text (never absent).
  std::optional<std::string> getSerial() const;
  std::optional<std::string> getIssuer() const;
  std::optional<std::string> getSubject() const;
  std::optional<Bytes> getSubjectKeyIdentifier() const { return subjectKeyIdentifier_; }

 private:
  Bytes signature_;
  Bytes serial_;
  Bytes issuer_;
  Bytes subject_;
  Bytes subjectKeyIdentifier_;
};

}  // namespace ekyc
