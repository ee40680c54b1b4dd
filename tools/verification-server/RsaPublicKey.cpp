#include "verification-server/RsaPublicKey.hpp"

#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/param_build.h>
#include <openssl/rsa.h>
#include <openssl/x509.h>

#include "verification-server/VerifierKit.hpp"

namespace ekyc {

namespace {

struct PkeyCtxDeleter {
  void operator()(EVP_PKEY_CTX* ctx) const { EVP_PKEY_CTX_free(ctx); }
};
struct MdCtxDeleter {
  void operator()(EVP_MD_CTX* ctx) const { EVP_MD_CTX_free(ctx); }
};
struct BnDeleter {
  void operator()(BIGNUM* bn) const { BN_free(bn); }
};
struct ParamBldDeleter {
  void operator()(OSSL_PARAM_BLD* bld) const { OSSL_PARAM_BLD_free(bld); }
};
struct ParamDeleter {
  void operator()(OSSL_PARAM* params) const { OSSL_PARAM_free(params); }
};
struct X509Deleter {
  void operator()(X509* cert) const { X509_free(cert); }
};

// The key element "7F49" somewhere inside a card-verifiable certificate body.
std::optional<TlvElement> findKeyElement(const Bytes& body) {
  if (std::optional<TlvElement> key = VerifierKit::findTlv(body, "7F49", true)) {
    return key;
  }
  // Some bodies nest their fields one level down in elements not marked constructed.
  for (const TlvElement& element : VerifierKit::parseTlv(body)) {
    if (std::optional<TlvElement> key = VerifierKit::findTlv(element.value, "7F49", true)) {
      return key;
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<RsaPublicKey> RsaPublicKey::adopt(EVP_PKEY* raw) {
  if (raw == nullptr) {
    return std::nullopt;
  }
  std::shared_ptr<EVP_PKEY> key(raw, EVP_PKEY_free);
  if (EVP_PKEY_get_base_id(raw) != EVP_PKEY_RSA) {
    return std::nullopt;
  }
  return RsaPublicKey(std::move(key));
}

std::optional<RsaPublicKey> RsaPublicKey::fromSubjectPublicKeyInfo(const Bytes& der) {
  const unsigned char* p = der.data();
  EVP_PKEY* key = d2i_PUBKEY(nullptr, &p, static_cast<long>(der.size()));
  if (key != nullptr && p != der.data() + der.size()) {
    EVP_PKEY_free(key);  // trailing bytes: not a SubjectPublicKeyInfo alone
    return std::nullopt;
  }
  return adopt(key);
}

std::optional<RsaPublicKey> RsaPublicKey::fromCertificate(const Bytes& der) {
  const unsigned char* p = der.data();
  std::unique_ptr<X509, X509Deleter> cert(d2i_X509(nullptr, &p, static_cast<long>(der.size())));
  if (!cert) {
    return std::nullopt;
  }
  return adopt(X509_get_pubkey(cert.get()));
}

std::optional<RsaPublicKey> RsaPublicKey::fromModulusExponent(const Bytes& modulus, const Bytes& exponent) {
  if (modulus.empty() || exponent.empty() || modulus.size() > 2048) {
    return std::nullopt;
  }
  std::unique_ptr<BIGNUM, BnDeleter> n(BN_bin2bn(modulus.data(), static_cast<int>(modulus.size()), nullptr));
  std::unique_ptr<BIGNUM, BnDeleter> e(BN_bin2bn(exponent.data(), static_cast<int>(exponent.size()), nullptr));
  std::unique_ptr<OSSL_PARAM_BLD, ParamBldDeleter> bld(OSSL_PARAM_BLD_new());
  if (!n || !e || !bld || BN_is_zero(n.get()) || BN_is_zero(e.get()) ||
      OSSL_PARAM_BLD_push_BN(bld.get(), OSSL_PKEY_PARAM_RSA_N, n.get()) != 1 ||
      OSSL_PARAM_BLD_push_BN(bld.get(), OSSL_PKEY_PARAM_RSA_E, e.get()) != 1) {
    return std::nullopt;
  }
  std::unique_ptr<OSSL_PARAM, ParamDeleter> params(OSSL_PARAM_BLD_to_param(bld.get()));
  std::unique_ptr<EVP_PKEY_CTX, PkeyCtxDeleter> ctx(EVP_PKEY_CTX_new_from_name(nullptr, "RSA", nullptr));
  EVP_PKEY* key = nullptr;
  if (!params || !ctx || EVP_PKEY_fromdata_init(ctx.get()) != 1 ||
      EVP_PKEY_fromdata(ctx.get(), &key, EVP_PKEY_PUBLIC_KEY, params.get()) != 1) {
    return std::nullopt;
  }
  return adopt(key);
}

std::optional<RsaPublicKey> RsaPublicKey::fromCardCertificate(const Bytes& data) {
  Bytes certificateValue = data;
  if (std::optional<TlvElement> outer = VerifierKit::findTlv(data, "7F21")) {
    certificateValue = outer->value;
  }
  const std::optional<TlvElement> body = VerifierKit::findTlv(certificateValue, "5F4E");
  if (!body) {
    return std::nullopt;
  }
  if (std::optional<RsaPublicKey> spki = fromSubjectPublicKeyInfo(body->value)) {
    return spki;
  }
  const std::optional<TlvElement> keyElement = findKeyElement(body->value);
  if (!keyElement) {
    return std::nullopt;
  }
  const std::optional<TlvElement> modulus = VerifierKit::findTlv(keyElement->value, "81");
  const std::optional<TlvElement> exponent = VerifierKit::findTlv(keyElement->value, "82");
  if (!modulus || !exponent) {
    return std::nullopt;
  }
  return fromModulusExponent(modulus->value, exponent->value);
}

std::optional<RsaPublicKey> RsaPublicKey::fromAnyForm(const Bytes& data) {
  if (std::optional<RsaPublicKey> key = fromCardCertificate(data)) {
    return key;
  }
  if (std::optional<RsaPublicKey> key = fromSubjectPublicKeyInfo(data)) {
    return key;
  }
  return fromCertificate(data);
}

bool RsaPublicKey::verifyDigest(const std::string& digestAlgorithm, const Bytes& digest, const Bytes& signature) const {
  const EVP_MD* md = EVP_get_digestbyname(digestAlgorithm.c_str());
  if (md == nullptr || digest.size() != static_cast<std::size_t>(EVP_MD_get_size(md))) {
    return false;
  }
  std::unique_ptr<EVP_PKEY_CTX, PkeyCtxDeleter> ctx(EVP_PKEY_CTX_new(key.get(), nullptr));
  return ctx && EVP_PKEY_verify_init(ctx.get()) == 1 &&
         EVP_PKEY_CTX_set_rsa_padding(ctx.get(), RSA_PKCS1_PADDING) == 1 &&
         EVP_PKEY_CTX_set_signature_md(ctx.get(), md) == 1 &&
         EVP_PKEY_verify(ctx.get(), signature.data(), signature.size(), digest.data(), digest.size()) == 1;
}

bool RsaPublicKey::verifyMessage(const std::string& digestAlgorithm, const Bytes& message, const Bytes& signature) const {
  const EVP_MD* md = EVP_get_digestbyname(digestAlgorithm.c_str());
  if (md == nullptr) {
    return false;
  }
  std::unique_ptr<EVP_MD_CTX, MdCtxDeleter> ctx(EVP_MD_CTX_new());
  EVP_PKEY_CTX* pkeyCtx = nullptr;  // owned by ctx
  return ctx && EVP_DigestVerifyInit(ctx.get(), &pkeyCtx, md, nullptr, key.get()) == 1 &&
         EVP_PKEY_CTX_set_rsa_padding(pkeyCtx, RSA_PKCS1_PADDING) == 1 &&
         EVP_DigestVerify(ctx.get(), signature.data(), signature.size(), message.data(), message.size()) == 1;
}

bool RsaPublicKey::verifyPayload(const Bytes& payload, const Bytes& signature) const {
  std::unique_ptr<EVP_PKEY_CTX, PkeyCtxDeleter> ctx(EVP_PKEY_CTX_new(key.get(), nullptr));
  return ctx && EVP_PKEY_verify_init(ctx.get()) == 1 &&
         EVP_PKEY_CTX_set_rsa_padding(ctx.get(), RSA_PKCS1_PADDING) == 1 &&
         EVP_PKEY_verify(ctx.get(), signature.data(), signature.size(), payload.data(), payload.size()) == 1;
}

int RsaPublicKey::bits() const { return EVP_PKEY_get_bits(key.get()); }

Bytes RsaPublicKey::modulus() const {
  BIGNUM* n = nullptr;
  if (EVP_PKEY_get_bn_param(key.get(), OSSL_PKEY_PARAM_RSA_N, &n) != 1) {
    return {};
  }
  std::unique_ptr<BIGNUM, BnDeleter> owned(n);
  Bytes out(static_cast<std::size_t>(BN_num_bytes(n)));
  BN_bn2bin(n, out.data());
  return out;
}

}  // namespace ekyc
