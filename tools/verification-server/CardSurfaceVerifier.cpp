#include "verification-server/CardSurfaceVerifier.hpp"

#include "verification-server/VerificationServer.hpp"
#include "verification-server/VerifierKit.hpp"

namespace ekyc {

namespace {

const std::string SHA256 = "SHA256";

std::optional<std::string> decodedText(const std::string& b64) {
  const auto bytes = VerifierKit::base64Decode(b64);
  if (!bytes) return std::nullopt;
  return std::string(bytes->begin(), bytes->end());
}

// A two-element array exactly as the library writes it: ["a","b"], no blanks.
std::optional<std::pair<std::string, std::string>> pairOf(const std::string& b64) {
  const auto text = decodedText(b64);
  const auto items = VerifierKit::decodeBase64TextArray(b64);
  if (!text || !items || items->size() != 2) return std::nullopt;
  std::pair<std::string, std::string> out{(*items)[0], (*items)[1]};
  if (*text != "[\"" + out.first + "\",\"" + out.second + "\"]") return std::nullopt;
  return out;
}

struct Params {
  Bytes publicKey;
  std::optional<Bytes> hash;
};

// The verifying parameters exactly as the library writes them: {"publicKey":"..."[,"hash":"..."]}.
std::optional<Params> paramsOf(const std::string& b64) {
  const auto text = decodedText(b64);
  const auto object = VerifierKit::decodeBase64JsonObject(b64);
  if (!text || !object) return std::nullopt;
  const auto publicKey = object->find("publicKey");
  const auto hash = object->find("hash");
  const bool hasHash = hash != object->end();
  if (publicKey == object->end() || !publicKey->is_string() || (hasHash && !hash->is_string()) ||
      object->size() != (hasHash ? 2u : 1u)) {
    return std::nullopt;
  }
  std::string expected = "{\"publicKey\":\"" + publicKey->get<std::string>() + "\"";
  if (hasHash) expected += ",\"hash\":\"" + hash->get<std::string>() + "\"";
  if (*text != expected + "}") return std::nullopt;
  Params params;
  auto key = VerifierKit::base64Decode(publicKey->get<std::string>());
  if (!key) return std::nullopt;
  params.publicKey = std::move(*key);
  if (hasHash) {
    params.hash = VerifierKit::base64Decode(hash->get<std::string>());
    if (!params.hash) return std::nullopt;
  }
  return params;
}

// The body whose digest the input-support application signs: DF31 20 h1 DF32 20 h2.
Bytes hashBody(const Bytes& h1, const Bytes& h2) {
  Bytes body{0xDF, 0x31, 0x20};
  body.insert(body.end(), h1.begin(), h1.end());
  body.insert(body.end(), {0xDF, 0x32, 0x20});
  body.insert(body.end(), h2.begin(), h2.end());
  return body;
}

VerificationVerdict malformed(const std::string& detail) { return VerificationVerdict::failed("E_FORMAT", detail); }

}  // namespace

CardSurfaceVerifier::CardSurfaceVerifier(std::optional<RsaPublicKey> issuer) : issuer_(std::move(issuer)) {}

const std::vector<std::string>& CardSurfaceVerifier::requestTypes() {
  static const std::vector<std::string> types{"11", "12", "13", "21", "22", "23", "32"};
  return types;
}

void CardSurfaceVerifier::install(VerificationServer& server) const {
  const CardSurfaceVerifier copy = *this;
  for (const auto& type : requestTypes()) {
    server.addVerifier("mynumber", type, [copy](const VerificationRequest& request) { return copy.verify(request); });
  }
}

VerificationVerdict CardSurfaceVerifier::verify(const VerificationRequest& request) const {
  if (request.flags != "0") return malformed("flags is not \"0\"");
  if (request.tenantCode.empty()) return malformed("tenantCode is empty");
  return verify(request.reqType, request.expectedHash, request.signature, request.verifyingParams);
}

VerificationVerdict CardSurfaceVerifier::verifySide(Side side, const std::string& expectedHash,
                                                    const std::string& signature,
                                                    const std::string& verifyingParams) const {
  const auto expected = VerifierKit::base64Decode(expectedHash);
  if (!expected) return malformed("expectedHash is not base64");
  const auto sig = VerifierKit::base64Decode(signature);
  if (!sig || sig->empty()) return malformed("signature is not base64");
  const auto params = paramsOf(verifyingParams);
  if (!params) return malformed("verifyingParams is not the expected JSON object");
  const auto key = RsaPublicKey::fromCardCertificate(params->publicKey);
  if (!key) return malformed("publicKey holds no RSA public key");
  if (issuer_) {
    const auto body = VerifierKit::findTlv(params->publicKey, "5F4E");
    const auto issuerSignature = VerifierKit::findTlv(params->publicKey, "5F37");
    if (!body || !issuerSignature ||
        !issuer_->verifyMessage(SHA256,
                                Bytes(params->publicKey.begin() + static_cast<std::ptrdiff_t>(body->offset),
                                      params->publicKey.begin() + static_cast<std::ptrdiff_t>(body->offset + body->length)),
                                issuerSignature->value)) {
      return VerificationVerdict::failed("E_CERTIFICATE", "the certificate record is not signed by the issuer");
    }
  }
  const bool sideHasHash = side == Side::numberText || side == Side::basicItems;
  if (params->hash.has_value() != sideHasHash) return malformed("unexpected presence of the hash member");
  if (params->hash && params->hash->size() != 32) return malformed("hash is not a SHA-256 digest");
  const std::size_t expectedSize = side == Side::cardSurface ? 96 : 32;
  if (expected->size() != expectedSize) return malformed("expectedHash has the wrong length");

  Bytes digest;
  switch (side) {
    case Side::numberImage:
    case Side::inputSupportAll:
      digest = *expected;
      break;
    case Side::cardSurface:
      digest = VerifierKit::sha256(*expected);
      break;
    case Side::numberText:  // expected: the number file's digest; hash: the basic items' digest
      digest = VerifierKit::sha256(hashBody(*expected, *params->hash));
      break;
    case Side::basicItems:  // expected: the basic items' digest; hash: the number file's digest
      digest = VerifierKit::sha256(hashBody(*params->hash, *expected));
      break;
  }
  if (!key->verifyDigest(SHA256, digest, *sig)) {
    return VerificationVerdict::failed("E_SIGNATURE", "the signature does not verify");
  }
  return VerificationVerdict::passed();
}

VerificationVerdict CardSurfaceVerifier::verifyPair(Side first, Side second, const std::string& expectedHash,
                                                    const std::string& signature,
                                                    const std::string& verifyingParams) const {
  const auto hashes = pairOf(expectedHash);
  const auto signatures = pairOf(signature);
  const auto params = pairOf(verifyingParams);
  if (!hashes || !signatures || !params) return malformed("a member is not a two-element array");
  VerificationVerdict one = verifySide(first, hashes->first, signatures->first, params->first);
  if (!one.valid) {
    one.errorDetail = "card-surface side: " + one.errorDetail;
    return one;
  }
  VerificationVerdict two = verifySide(second, hashes->second, signatures->second, params->second);
  if (!two.valid) two.errorDetail = "input-support side: " + two.errorDetail;
  return two;
}

VerificationVerdict CardSurfaceVerifier::verify(const std::string& reqType, const std::string& expectedHash,
                                                const std::string& signature,
                                                const std::string& verifyingParams) const {
  if (reqType == "21") return verifySide(Side::numberImage, expectedHash, signature, verifyingParams);
  if (reqType == "22") return verifySide(Side::numberText, expectedHash, signature, verifyingParams);
  if (reqType == "23") return verifyPair(Side::numberImage, Side::numberText, expectedHash, signature, verifyingParams);
  if (reqType == "11") return verifySide(Side::cardSurface, expectedHash, signature, verifyingParams);
  if (reqType == "12") return verifySide(Side::basicItems, expectedHash, signature, verifyingParams);
  if (reqType == "13") return verifyPair(Side::cardSurface, Side::basicItems, expectedHash, signature, verifyingParams);
  if (reqType == "32") return verifySide(Side::inputSupportAll, expectedHash, signature, verifyingParams);
  return VerificationVerdict::failed("E_UNKNOWN_REQUEST_TYPE", "unknown request type");
}

}  // namespace ekyc
