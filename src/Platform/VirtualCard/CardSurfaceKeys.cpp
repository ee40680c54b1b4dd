#include "Platform/VirtualCard/CardSurfaceKeys.hpp"

#include <openssl/bn.h>
#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/rsa.h>

#include "Platform/VirtualCard/VirtualCertificateAuthority.hpp"

namespace ekyc {

namespace {

// A failed generation leaves the key null; every operation on a null key gives empty data.
CardSurfaceKeys::Key generateKey() { return VirtualCertificateAuthority::generateRsaKey(); }

Bytes bigNumberParam(const CardSurfaceKeys::Key& key, const char* name) {
  BIGNUM* bn = nullptr;
  if (!key || EVP_PKEY_get_bn_param(key.get(), name, &bn) != 1) return {};
  Bytes out(static_cast<std::size_t>(BN_num_bytes(bn)));
  BN_bn2bin(bn, out.data());
  BN_free(bn);
  return out;
}

}  // namespace

CardSurfaceKeys CardSurfaceKeys::generate() {
  CardSurfaceKeys keys;
  keys.issuer = generateKey();
  keys.cardSurface = generateKey();
  keys.inputSupport = generateKey();
  return keys;
}

const CardSurfaceKeys& CardSurfaceKeys::shared() {
  static const CardSurfaceKeys keys = generate();
  return keys;
}

Bytes CardSurfaceKeys::signDigest(const Key& key, const Bytes& sha256Digest) {
  if (!key || sha256Digest.size() != 32) return {};
  EVP_PKEY_CTX* ctx = EVP_PKEY_CTX_new(key.get(), nullptr);
  if (ctx == nullptr) return {};
  Bytes signature;
  std::size_t length = 0;
  if (EVP_PKEY_sign_init(ctx) == 1 && EVP_PKEY_CTX_set_rsa_padding(ctx, RSA_PKCS1_PADDING) == 1 &&
      EVP_PKEY_CTX_set_signature_md(ctx, EVP_sha256()) == 1 &&
      EVP_PKEY_sign(ctx, nullptr, &length, sha256Digest.data(), sha256Digest.size()) == 1) {
    signature.resize(length);
    if (EVP_PKEY_sign(ctx, signature.data(), &length, sha256Digest.data(), sha256Digest.size()) == 1) {
      signature.resize(length);
    } else {
      signature.clear();
    }
  }
  EVP_PKEY_CTX_free(ctx);
  return signature;
}

Bytes CardSurfaceKeys::modulus(const Key& key) {
  Bytes n = bigNumberParam(key, OSSL_PKEY_PARAM_RSA_N);
  if (!n.empty() && n.size() < 256) n.insert(n.begin(), 256 - n.size(), 0);
  return n;
}

Bytes CardSurfaceKeys::publicExponent(const Key& key) { return bigNumberParam(key, OSSL_PKEY_PARAM_RSA_E); }

}  // namespace ekyc
