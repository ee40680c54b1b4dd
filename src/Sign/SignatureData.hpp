#pragma once
// The result record of the JPKI signing requests: a signature with its certificate and the signed
// data, or a signed consent document. The host owns it once it is delivered.
#include <optional>
#include <string>

#include "Extension/Bytes.hpp"

namespace ekyc {

class SignatureData {
 public:
  // A signature: the consent-document fields stay absent.
  SignatureData(std::optional<Bytes> signature, std::optional<Bytes> signingCert, std::optional<Bytes> tbsData,
                std::optional<std::string> hashAlgOid);
  // A signed consent document (base64): the four signature fields stay absent.
  SignatureData(std::optional<std::string> fourInfoConsentApply, std::optional<std::string> fourInfoConsentRevokeApply);

  // The card's signature (256 bytes for a 2048-bit key).
  const std::optional<Bytes>& signature() const { return signature_; }
  // The whole DER certificate of the key that signed.
  const std::optional<Bytes>& signingCert() const { return signingCert_; }
  // The data whose DigestInfo the card signed (not its digest).
  const std::optional<Bytes>& tbsData() const { return tbsData_; }
  // Dotted OID of the hash, e.g. "2.16.840.1.101.3.4.2.1".
  const std::optional<std::string>& hashAlgOid() const { return hashAlgOid_; }
  const std::optional<std::string>& fourInfoConsentApply() const { return fourInfoConsentApply_; }
  const std::optional<std::string>& fourInfoConsentRevokeApply() const { return fourInfoConsentRevokeApply_; }

  // Base64 of the digest of tbsData by the hash named by hashAlgOid: what a host sends as the
  // expected hash. Absent when tbsData is absent or the OID is not SHA-256, SHA-384 or SHA-512.
  std::optional<std::string> getExpectedHash() const;

 private:
  std::optional<Bytes> signature_;
  std::optional<Bytes> signingCert_;
  std::optional<Bytes> tbsData_;
  std::optional<std::string> hashAlgOid_;
  std::optional<std::string> fourInfoConsentApply_;
  std::optional<std::string> fourInfoConsentRevokeApply_;
};

}  // namespace ekyc
