#pragma once
// A certificate authority for virtual cards: an RSA-2048 key and a self-signed certificate, issuing
// X.509 certificates (DER) whose subjectAltName may carry otherName entries. Made with OpenSSL.
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include <openssl/evp.h>

#include "Extension/Bytes.hpp"

namespace ekyc {

using EvpPkeyPtr = std::shared_ptr<EVP_PKEY>;

class VirtualCertificateAuthority {
 public:
  // One otherName entry of a subjectAltName: the identifier in dotted form, the ASN.1 universal
  // string type of its value (V_ASN1_UTF8STRING, V_ASN1_PRINTABLESTRING, V_ASN1_IA5STRING, ...)
  // and the value's bytes.
  struct OtherName {
    std::string oid;
    int stringType;
    Bytes value;
  };

  // A fresh RSA key of the given size; null if OpenSSL fails. Every virtual card makes its keys
  // here. After useFixedKeys: the next fixed key of that size instead.
  static EvpPkeyPtr generateRsaKey(int bits = 2048);

  // For output that must come out the same at every run (the fuzz seeds), from this call on in the
  // process: generateRsaKey hands out `keys` in order, and past their end makes fresh keys and
  // appends them; every certificate is made as at `madeAt` (valid from a day before it, for five
  // years) instead of the current time. Without it (the tests, the demo) every key is fresh.
  static void useFixedKeys(std::vector<EvpPkeyPtr> keys, std::time_t madeAt);
  // The fixed keys, those handed out first, with the fresh ones appended: the list to give
  // useFixedKeys next time for the same output.
  static std::vector<EvpPkeyPtr> fixedKeys();

  // The private keys of a PEM file in order (none when it cannot be read), and the file written.
  static std::vector<EvpPkeyPtr> readKeys(const std::string& pemFile);
  static bool writeKeys(const std::string& pemFile, const std::vector<EvpPkeyPtr>& keys);

  // A CA with the given key (a fresh RSA-2048 key when null) and a self-signed certificate.
  explicit VirtualCertificateAuthority(std::string commonName, EvpPkeyPtr key = nullptr);

  const Bytes& certificate() const { return certificate_; }
  const EvpPkeyPtr& key() const { return key_; }

  // An end-entity certificate for subjectKey's public key, signed with SHA-256 by this CA; empty
  // on failure.
  Bytes issue(const std::string& subjectCommonName, EVP_PKEY* subjectKey, const std::vector<OtherName>& altNames,
              long serial) const;

 private:
  std::string commonName_;
  EvpPkeyPtr key_;
  Bytes certificate_;
};

}  // namespace ekyc
