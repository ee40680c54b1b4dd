#pragma once
// An RSA public key for the stand-in's verifiers, read from whatever form a card or a request
// carries, with RSASSA-PKCS1-v1_5 verification.
#include <memory>
#include <optional>
#include <string>

#include "Extension/Bytes.hpp"

typedef struct evp_pkey_st EVP_PKEY;

namespace ekyc {

class RsaPublicKey {
 public:
  // DER SubjectPublicKeyInfo.
  static std::optional<RsaPublicKey> fromSubjectPublicKeyInfo(const Bytes& der);
  // DER X.509 certificate; bytes after the certificate (fill) are ignored.
  static std::optional<RsaPublicKey> fromCertificate(const Bytes& der);
  // Big-endian modulus and public exponent.
  static std::optional<RsaPublicKey> fromModulusExponent(const Bytes& modulus, const Bytes& exponent);
  // A card-verifiable certificate: the "7F21" element or its value. Its "5F4E" holds either a DER
  // SubjectPublicKeyInfo or a body with a "7F49" key element (modulus "81", exponent "82").
  static std::optional<RsaPublicKey> fromCardCertificate(const Bytes& data);
  // Whichever of the forms above `data` is.
  static std::optional<RsaPublicKey> fromAnyForm(const Bytes& data);

  // PKCS#1 v1.5: `signature` over `digest`, a digest made with `digestAlgorithm` (OpenSSL name,
  // e.g. "SHA256"), the DigestInfo built from both.
  bool verifyDigest(const std::string& digestAlgorithm, const Bytes& digest, const Bytes& signature) const;
  // PKCS#1 v1.5: `signature` over `message`, hashed here with `digestAlgorithm`.
  bool verifyMessage(const std::string& digestAlgorithm, const Bytes& message, const Bytes& signature) const;
  // PKCS#1 v1.5 without a digest: `signature` over the bytes `payload` as they are (a DigestInfo the
  // signer built itself, for example).
  bool verifyPayload(const Bytes& payload, const Bytes& signature) const;

  int bits() const;
  Bytes modulus() const;
  EVP_PKEY* get() const { return key.get(); }

 private:
  explicit RsaPublicKey(std::shared_ptr<EVP_PKEY> key) : key(std::move(key)) {}
  static std::optional<RsaPublicKey> adopt(EVP_PKEY* key);
  std::shared_ptr<EVP_PKEY> key;
};

}  // namespace ekyc
