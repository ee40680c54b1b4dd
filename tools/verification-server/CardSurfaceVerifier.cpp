#include "verification-server/CardSurfaceVerifier.hpp"

#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/param_build.h>
#include <openssl/rsa.h>

#include <optional>

#include "Platform/Base64.hpp"
#include "Platform/Digest.hpp"
#include "Platform/Json.hpp"

namespace ekyc {

namespace {

using Key = std::shared_ptr<evp_pkey_st>;

struct Element {
  Bytes tag;
  Bytes whole;
  Bytes value;
};

// One BER element at pos (tags of one or more bytes, definite lengths up to four octets), kept
// inside the data.
std::optional<Element> readElement(const Bytes& data, std::size_t& pos) {
  std::size_t p = pos;
  if (p >= data.size()) return std::nullopt;
  Element e;
  e.tag.push_back(data[p]);
  if ((data[p++] & 0x1F) == 0x1F) {
    do {
      if (p >= data.size() || e.tag.size() > 3) return std::nullopt;
      e.tag.push_back(data[p]);
    } while ((data[p++] & 0x80) != 0);
  }
  if (p >= data.size()) return std::nullopt;
  std::size_t length = data[p++];
  if (length > 0x80) {
    const std::size_t count = length - 0x80;
    if (count > 4) return std::nullopt;
    length = 0;
    for (std::size_t i = 0; i < count; ++i) {
      if (p >= data.size()) return std::nullopt;
      length = (length << 8) | data[p++];
    }
  } else if (length == 0x80) {
    return std::nullopt;
  }
  if (length > data.size() - p) return std::nullopt;
  e.value.assign(data.begin() + static_cast<std::ptrdiff_t>(p), data.begin() + static_cast<std::ptrdiff_t>(p + length));
  e.whole.assign(data.begin() + static_cast<std::ptrdiff_t>(pos),
                 data.begin() + static_cast<std::ptrdiff_t>(p + length));
  pos = p + length;
  return e;
}

// The first element with the tag among the elements of data (stops at fill or a broken element).
std::optional<Element> child(const Bytes& data, const Bytes& tag) {
  std::size_t pos = 0;
  while (pos < data.size()) {
    auto e = readElement(data, pos);
    if (!e) return std::nullopt;
    if (e->tag == tag) return e;
  }
  return std::nullopt;
}

Key rsaPublicKey(const Bytes& modulus, const Bytes& exponent) {
  OSSL_PARAM_BLD* bld = OSSL_PARAM_BLD_new();
  BIGNUM* n = BN_bin2bn(modulus.data(), static_cast<int>(modulus.size()), nullptr);
  BIGNUM* e = BN_bin2bn(exponent.data(), static_cast<int>(exponent.size()), nullptr);
  OSSL_PARAM* params = nullptr;
  EVP_PKEY* key = nullptr;
  EVP_PKEY_CTX* ctx = EVP_PKEY_CTX_new_from_name(nullptr, "RSA", nullptr);
  if (bld != nullptr && n != nullptr && e != nullptr && ctx != nullptr &&
      OSSL_PARAM_BLD_push_BN(bld, OSSL_PKEY_PARAM_RSA_N, n) == 1 &&
      OSSL_PARAM_BLD_push_BN(bld, OSSL_PKEY_PARAM_RSA_E, e) == 1 && (params = OSSL_PARAM_BLD_to_param(bld)) != nullptr &&
      EVP_PKEY_fromdata_init(ctx) == 1) {
    if (EVP_PKEY_fromdata(ctx, &key, EVP_PKEY_PUBLIC_KEY, params) != 1) key = nullptr;
  }
  EVP_PKEY_CTX_free(ctx);
  OSSL_PARAM_free(params);
  BN_free(n);
  BN_free(e);
  OSSL_PARAM_BLD_free(bld);
  return key == nullptr ? Key() : Key(key, EVP_PKEY_free);
}

bool verifiesOverDigest(const Key& key, const Bytes& digest, const Bytes& signature) {
  if (!key || digest.size() != 32 || signature.empty()) return false;
  EVP_PKEY_CTX* ctx = EVP_PKEY_CTX_new(key.get(), nullptr);
  const bool ok = ctx != nullptr && EVP_PKEY_verify_init(ctx) == 1 &&
                  EVP_PKEY_CTX_set_rsa_padding(ctx, RSA_PKCS1_PADDING) == 1 &&
                  EVP_PKEY_CTX_set_signature_md(ctx, EVP_sha256()) == 1 &&
                  EVP_PKEY_verify(ctx, signature.data(), signature.size(), digest.data(), digest.size()) == 1;
  EVP_PKEY_CTX_free(ctx);
  return ok;
}

std::optional<std::string> base64Text(const std::string& b64) {
  auto bytes = Base64::decode(b64);
  if (!bytes) return std::nullopt;
  return std::string(bytes->begin(), bytes->end());
}

// A two-element array text exactly as the library writes it: ["a","b"], no blanks.
std::optional<std::pair<std::string, std::string>> pairOf(const std::string& b64) {
  const auto text = base64Text(b64);
  if (!text) return std::nullopt;
  const auto value = Json::parse(*text);
  if (!value || !value->is_array() || value->size() != 2 || !(*value)[0].is_string() || !(*value)[1].is_string()) {
    return std::nullopt;
  }
  std::pair<std::string, std::string> out{(*value)[0].get<std::string>(), (*value)[1].get<std::string>()};
  if (*text != "[\"" + out.first + "\",\"" + out.second + "\"]") return std::nullopt;
  return out;
}

struct Params {
  Bytes publicKey;
  std::optional<Bytes> hash;
};

// The verifying parameters exactly as the library writes them: {"publicKey":"..."[,"hash":"..."]}.
std::optional<Params> paramsOf(const std::string& b64) {
  const auto text = base64Text(b64);
  if (!text) return std::nullopt;
  const auto object = Json::parseObject(*text);
  if (!object) return std::nullopt;
  const auto publicKey = Json::getString(*object, "publicKey");
  const auto hash = Json::getString(*object, "hash");
  if (!publicKey || object->size() != (hash ? 2u : 1u)) return std::nullopt;
  std::string expected = "{\"publicKey\":\"" + *publicKey + "\"";
  if (hash) expected += ",\"hash\":\"" + *hash + "\"";
  expected += "}";
  if (*text != expected) return std::nullopt;
  Params params;
  auto key = Base64::decode(*publicKey);
  if (!key) return std::nullopt;
  params.publicKey = std::move(*key);
  if (hash) {
    auto h = Base64::decode(*hash);
    if (!h) return std::nullopt;
    params.hash = std::move(*h);
  }
  return params;
}

Bytes hashBody(const Bytes& h1, const Bytes& h2) {
  Bytes body{0xDF, 0x31, 0x20};
  body.insert(body.end(), h1.begin(), h1.end());
  body.insert(body.end(), {0xDF, 0x32, 0x20});
  body.insert(body.end(), h2.begin(), h2.end());
  return body;
}

CardSurfaceVerifier::Verdict invalid(std::string why) { return {false, std::move(why)}; }

}  // namespace

CardSurfaceVerifier::CardSurfaceVerifier(std::shared_ptr<evp_pkey_st> issuer) : issuer_(std::move(issuer)) {}

const std::vector<std::string>& CardSurfaceVerifier::requestTypes() {
  static const std::vector<std::string> types{"11", "12", "13", "21", "22", "23", "32"};
  return types;
}

std::shared_ptr<evp_pkey_st> CardSurfaceVerifier::publicKeyOfRecord(const Bytes& record) {
  const auto body = child(record, {0x5F, 0x4E});
  if (!body) return nullptr;
  const auto publicKey = child(body->value, {0x7F, 0x49});
  if (!publicKey) return nullptr;
  const auto modulus = child(publicKey->value, {0x81});
  const auto exponent = child(publicKey->value, {0x82});
  if (!modulus || !exponent || modulus->value.empty() || exponent->value.empty()) return nullptr;
  return rsaPublicKey(modulus->value, exponent->value);
}

CardSurfaceVerifier::Verdict CardSurfaceVerifier::verifySide(Side side, const std::string& expectedHash,
                                                             const std::string& signature,
                                                             const std::string& verifyingParams) const {
  const auto expected = Base64::decode(expectedHash);
  if (!expected) return invalid("expectedHash is not base64");
  const auto sig = Base64::decode(signature);
  if (!sig || sig->empty()) return invalid("signature is not base64");
  const auto params = paramsOf(verifyingParams);
  if (!params) return invalid("verifyingParams is not the expected JSON object");
  const Key key = publicKeyOfRecord(params->publicKey);
  if (!key) return invalid("publicKey holds no RSA public key");
  if (issuer_) {
    const auto body = child(params->publicKey, {0x5F, 0x4E});
    const auto issuerSignature = child(params->publicKey, {0x5F, 0x37});
    if (!body || !issuerSignature || !verifiesOverDigest(issuer_, Digest::sha256(body->whole), issuerSignature->value)) {
      return invalid("the certificate record is not signed by the issuer");
    }
  }
  const bool sideHasHash = side == Side::numberText || side == Side::basicItems;
  if (params->hash.has_value() != sideHasHash) return invalid("unexpected presence of the hash member");
  if (params->hash && params->hash->size() != 32) return invalid("hash is not a SHA-256 digest");

  Bytes digest;
  switch (side) {
    case Side::numberImage:
    case Side::inputSupportAll:
      if (expected->size() != 32) return invalid("expectedHash is not a SHA-256 digest");
      digest = *expected;
      break;
    case Side::cardSurface:
      if (expected->size() != 96) return invalid("expectedHash is not three SHA-256 digests");
      digest = Digest::sha256(*expected);
      break;
    case Side::numberText:  // expected = digest of the number file, hash = digest of the basic items
      if (expected->size() != 32) return invalid("expectedHash is not a SHA-256 digest");
      digest = Digest::sha256(hashBody(*expected, *params->hash));
      break;
    case Side::basicItems:  // expected = digest of the basic items, hash = digest of the number file
      if (expected->size() != 32) return invalid("expectedHash is not a SHA-256 digest");
      digest = Digest::sha256(hashBody(*params->hash, *expected));
      break;
  }
  if (!verifiesOverDigest(key, digest, *sig)) return invalid("the signature does not verify");
  return {true, {}};
}

CardSurfaceVerifier::Verdict CardSurfaceVerifier::verifyPair(Side first, Side second, const std::string& expectedHash,
                                                             const std::string& signature,
                                                             const std::string& verifyingParams) const {
  const auto hashes = pairOf(expectedHash);
  const auto signatures = pairOf(signature);
  const auto params = pairOf(verifyingParams);
  if (!hashes || !signatures || !params) return invalid("a member is not a two-element array");
  Verdict one = verifySide(first, hashes->first, signatures->first, params->first);
  if (!one.valid) return invalid("card-surface side: " + one.detail);
  Verdict two = verifySide(second, hashes->second, signatures->second, params->second);
  if (!two.valid) return invalid("input-support side: " + two.detail);
  return {true, {}};
}

CardSurfaceVerifier::Verdict CardSurfaceVerifier::verify(const std::string& reqType, const std::string& expectedHash,
                                                         const std::string& signature,
                                                         const std::string& verifyingParams) const {
  if (reqType == "21") return verifySide(Side::numberImage, expectedHash, signature, verifyingParams);
  if (reqType == "22") return verifySide(Side::numberText, expectedHash, signature, verifyingParams);
  if (reqType == "23") return verifyPair(Side::numberImage, Side::numberText, expectedHash, signature, verifyingParams);
  if (reqType == "11") return verifySide(Side::cardSurface, expectedHash, signature, verifyingParams);
  if (reqType == "12") return verifySide(Side::basicItems, expectedHash, signature, verifyingParams);
  if (reqType == "13") return verifyPair(Side::cardSurface, Side::basicItems, expectedHash, signature, verifyingParams);
  if (reqType == "32") return verifySide(Side::inputSupportAll, expectedHash, signature, verifyingParams);
  return invalid("unknown request type");
}

}  // namespace ekyc
