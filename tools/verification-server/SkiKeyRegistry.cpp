#include "verification-server/SkiKeyRegistry.hpp"

#include "verification-server/VerifierKit.hpp"

namespace ekyc {

void SkiKeyRegistry::add(const Bytes& ski, RsaPublicKey key) {
  std::lock_guard<std::mutex> lock(mutex_);
  keys_.insert_or_assign(ski, std::move(key));
}

bool SkiKeyRegistry::add(const Bytes& ski, const Bytes& subjectPublicKeyInfo) {
  auto key = RsaPublicKey::fromSubjectPublicKeyInfo(subjectPublicKeyInfo);
  if (!key) return false;
  add(ski, std::move(*key));
  return true;
}

std::optional<RsaPublicKey> SkiKeyRegistry::find(const Bytes& ski) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto found = keys_.find(ski);
  if (found == keys_.end()) return std::nullopt;
  return found->second;
}

std::optional<Bytes> SkiKeyRegistry::skiOf(const std::string& verifyingParams) {
  const auto object = VerifierKit::decodeBase64JsonObject(verifyingParams);
  if (!object || object->size() != 1) return std::nullopt;
  const auto ski = object->find("ski");
  if (ski == object->end() || !ski->is_string()) return std::nullopt;
  return VerifierKit::base64Decode(ski->get<std::string>());
}

VerificationVerdict SkiKeyRegistry::verifyDigest(const std::string& expectedHash, const std::string& signature,
                                                 const std::string& verifyingParams) const {
  const auto digest = VerifierKit::base64Decode(expectedHash);
  if (!digest || digest->size() != 32) return VerificationVerdict::failed("E001", "expectedHash is not a SHA-256 digest");
  const auto signatureBytes = VerifierKit::base64Decode(signature);
  if (!signatureBytes || signatureBytes->empty()) return VerificationVerdict::failed("E002", "signature is not base64");
  const auto ski = skiOf(verifyingParams);
  if (!ski || ski->empty()) return VerificationVerdict::failed("E003", "verifyingParams carry no ski");
  const auto key = find(*ski);
  if (!key) return VerificationVerdict::failed("E004", "no key is known by this ski");
  if (!key->verifyDigest("SHA256", *digest, *signatureBytes)) {
    return VerificationVerdict::failed("E005", "the signature does not verify");
  }
  return VerificationVerdict::passed(VerifierKit::hex(*ski));
}

}  // namespace ekyc
