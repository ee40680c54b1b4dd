#include "verification-server/ResidenceCardVerifier.hpp"

#include <openssl/x509.h>

#include "verification-server/RsaPublicKey.hpp"
#include "verification-server/VerificationServer.hpp"
#include "verification-server/VerifierKit.hpp"

namespace ekyc {

namespace {

VerificationVerdict malformed(const std::string& detail) { return VerificationVerdict::failed("E_FORMAT", detail); }

// The DER certificate at the start of the field, without the fill after it; absent when there is none.
std::optional<Bytes> leadingCertificate(const Bytes& field) {
  const unsigned char* cursor = field.data();
  X509* certificate = d2i_X509(nullptr, &cursor, static_cast<long>(field.size()));
  if (!certificate) return std::nullopt;
  X509_free(certificate);
  return Bytes(field.data(), cursor);
}

}  // namespace

ResidenceCardVerifier::ResidenceCardVerifier(std::optional<Bytes> trustedCertificate)
    : trustedCertificate_(std::move(trustedCertificate)) {}

void ResidenceCardVerifier::install(VerificationServer& server) const {
  const ResidenceCardVerifier copy = *this;
  server.addVerifier("residencecard", "11", [copy](const VerificationRequest& request) { return copy.verify(request); });
}

VerificationVerdict ResidenceCardVerifier::verify(const VerificationRequest& request) const {
  if (request.flags != "0") return malformed("flags is not \"0\"");
  if (request.tenantCode.empty()) return malformed("tenantCode is empty");
  const auto hash = VerifierKit::base64Decode(request.expectedHash);
  if (!hash || hash->size() != 32) return malformed("expectedHash is not the base64 of a SHA-256 digest");
  const auto checkCode = VerifierKit::base64Decode(request.signature);
  if (!checkCode || checkCode->empty()) return malformed("signature is not base64");
  const auto params = VerifierKit::decodeBase64JsonObject(request.verifyingParams);
  if (!params || params->size() != 1 || !params->contains("certificate") || !(*params)["certificate"].is_string()) {
    return malformed("verifyingParams is not {\"certificate\":...}");
  }
  const auto field = VerifierKit::base64Decode((*params)["certificate"].get<std::string>());
  if (!field) return malformed("certificate is not base64");
  const auto certificate = leadingCertificate(*field);
  if (!certificate) return malformed("certificate does not start with a DER certificate");
  for (std::size_t i = certificate->size(); i < field->size(); ++i) {
    if ((*field)[i] != 0x00) return malformed("certificate field holds more than the certificate and its fill");
  }
  if (trustedCertificate_ && *certificate != *trustedCertificate_) {
    return VerificationVerdict::failed("E401", "certificate is not the issuer's");
  }
  const auto key = RsaPublicKey::fromCertificate(*certificate);
  if (!key) return malformed("certificate holds no RSA key");
  if (checkCode->size() * 8 != static_cast<std::size_t>(key->bits())) {
    return VerificationVerdict::failed("E402", "check code is not as long as the key");
  }
  if (!key->verifyDigest("SHA256", *hash, *checkCode)) {
    return VerificationVerdict::failed("E402", "check code does not verify");
  }
  return VerificationVerdict::passed();
}

}  // namespace ekyc
