#include "verification-server/SkiKeyRegistry.hpp"

#include "verification-server/VerifierKit.hpp"

namespace ekyc {

void SkiKeyRegistry::add(const Bytes& ski, RsaPublicKey key) {
  std::lock_guard<std::mutex> lock(mutex_);
  keys_.insert_or_assign(ski, std::move(key));
}

std::optional<RsaPublicKey> SkiKeyRegistry::find(const Bytes& ski) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto found = keys_.find(ski);
  if (found == keys_.end()) return std::nullopt;
  return found->second;
}

std::size_t SkiKeyRegistry::size() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return keys_.size();
}

std::optional<Bytes> SkiKeyRegistry::skiOfVerifyingParams(const std::string& verifyingParamsBase64) {
  const auto object = VerifierKit::decodeBase64JsonObject(verifyingParamsBase64);
  if (!object || object->size() != 1) return std::nullopt;
  const auto ski = object->find("ski");
  if (ski == object->end() || !ski->is_string()) return std::nullopt;
  return VerifierKit::base64Decode(ski->get<std::string>());
}

}  // namespace ekyc
