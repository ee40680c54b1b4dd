#pragma once
// The stand-in's registry of verifying keys named by their subject key identifier (SKI), for the
// request types whose verifying parameters carry {"ski": ...} instead of a key: the IC driving
// licence ("driverlicense", "11") and the licence data on the Individual Number Card. A verifier
// holds the registry by shared pointer; keys may be added while the server runs.
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "Extension/Bytes.hpp"
#include "verification-server/RsaPublicKey.hpp"

namespace ekyc {

class SkiKeyRegistry {
 public:
  // Registers `key` under `ski`, replacing an earlier one.
  void add(const Bytes& ski, RsaPublicKey key);
  // Registers `key` under its own SKI (skiOf).
  void add(RsaPublicKey key);
  // Reads a PEM file of public keys or certificates and registers each key under its SKI; false
  // when the file cannot be read or holds no RSA key.
  bool addPemFile(const std::string& path);

  // The key identifier of RFC 5280 (method 1): SHA-1 of the DER RSAPublicKey, the value of the
  // subjectPublicKey BIT STRING.
  static Bytes skiOf(const RsaPublicKey& key);
  // The key registered under `ski`; absent when there is none.
  std::optional<RsaPublicKey> find(const Bytes& ski) const;
  std::size_t size() const;

  // The SKI of verifying parameters written as {"ski":"<base64>"} (a "/" may come as "\/"), sent
  // base64-encoded as the request's "verifyingParams": absent unless the object has exactly that
  // one text member holding strict base64.
  static std::optional<Bytes> skiOfVerifyingParams(const std::string& verifyingParamsBase64);

 private:
  mutable std::mutex mutex_;
  std::map<Bytes, RsaPublicKey> keys_;
};

}  // namespace ekyc
