#pragma once
// The RSA-2048 keys behind the card-surface and input-support applications of a virtual
// Individual Number Card: the issuer's key, which signs the two card-verifiable certificates,
// and one key per application, which signs that application's data.
#include <memory>

#include "Extension/Bytes.hpp"

struct evp_pkey_st;

namespace ekyc {

class CardSurfaceKeys {
 public:
  using Key = std::shared_ptr<evp_pkey_st>;

  Key issuer;
  Key cardSurface;
  Key inputSupport;

  // Three fresh keys (fixed ones after VirtualCertificateAuthority::useFixedKeys).
  static CardSurfaceKeys generate();
  // One set made on first use and shared by every virtual card of the process (key generation is
  // the slow part of making a card).
  static const CardSurfaceKeys& shared();

  // RSASSA-PKCS1-v1_5 signature with SHA-256 over the given 32-byte digest; empty on failure.
  static Bytes signDigest(const Key& key, const Bytes& sha256Digest);
  // The key's modulus (unsigned big-endian, 256 bytes for RSA-2048) and public exponent.
  static Bytes modulus(const Key& key);
  static Bytes publicExponent(const Key& key);
};

}  // namespace ekyc
