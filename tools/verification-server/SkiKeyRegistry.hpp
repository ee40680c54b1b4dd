#pragma once
// The stand-in's public keys known by subject key identifier, for the request types whose verifying
// parameters name the signer only by its SKI ({"ski":"<base64>"}): the licence data on the
// Individual Number Card ("43") and any other card data signed the same way. Safe to use from any
// thread.
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "Extension/Bytes.hpp"
#include "verification-server/RsaPublicKey.hpp"
#include "verification-server/VerificationVerdict.hpp"

namespace ekyc {

class SkiKeyRegistry {
 public:
  // Registers `key` under `ski`, replacing an earlier key of that identifier.
  void add(const Bytes& ski, RsaPublicKey key);
  // The same with the key as a DER SubjectPublicKeyInfo; false when it is not an RSA key.
  bool add(const Bytes& ski, const Bytes& subjectPublicKeyInfo);
  std::optional<RsaPublicKey> find(const Bytes& ski) const;

  // The SKI that the base64 verifying parameters name: a JSON object with the single text member
  // "ski" holding standard base64 (a "\/" in the text is a "/"). Absent otherwise.
  static std::optional<Bytes> skiOf(const std::string& verifyingParams);

  // The verdict on a request whose expected hash is the base64 of a SHA-256 digest, whose signature
  // is an RSASSA-PKCS1-v1_5 signature (SHA-256) over that digest by the key the verifying
  // parameters name by SKI: valid only when every member decodes, the key is known and the
  // signature verifies.
  VerificationVerdict verifyDigest(const std::string& expectedHash, const std::string& signature,
                                   const std::string& verifyingParams) const;

 private:
  mutable std::mutex mutex_;
  std::map<Bytes, RsaPublicKey> keys_;
};

}  // namespace ekyc
