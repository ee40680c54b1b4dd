#include "verification-server/SkiKeyRegistry.hpp"

#include <openssl/pem.h>
#include <openssl/x509.h>

#include "Platform/Digest.hpp"
#include "verification-server/VerifierKit.hpp"

namespace ekyc {

void SkiKeyRegistry::add(const Bytes& ski, RsaPublicKey key) {
  std::lock_guard<std::mutex> lock(mutex_);
  keys_.insert_or_assign(ski, std::move(key));
}

void SkiKeyRegistry::add(RsaPublicKey key) {
  const Bytes ski = skiOf(key);
  add(ski, std::move(key));
}

Bytes SkiKeyRegistry::skiOf(const RsaPublicKey& key) {
  unsigned char* der = nullptr;
  const int length = key.get() ? i2d_PublicKey(key.get(), &der) : 0;
  if (length <= 0) return {};
  const Bytes rsaPublicKey(der, der + length);
  OPENSSL_free(der);
  return Digest::sha1(rsaPublicKey);
}

bool SkiKeyRegistry::addPemFile(const std::string& path) {
  std::unique_ptr<BIO, decltype(&BIO_free)> bio(BIO_new_file(path.c_str(), "r"), BIO_free);
  if (!bio) return false;
  bool added = false;
  // Each PEM block in turn: a public key, else a certificate.
  while (true) {
    char* name = nullptr;
    char* header = nullptr;
    unsigned char* data = nullptr;
    long length = 0;
    if (PEM_read_bio(bio.get(), &name, &header, &data, &length) != 1) break;
    const Bytes der(data, data + length);
    const std::string kind = name;
    OPENSSL_free(name);
    OPENSSL_free(header);
    OPENSSL_free(data);
    auto key = kind == "CERTIFICATE" ? RsaPublicKey::fromCertificate(der) : RsaPublicKey::fromSubjectPublicKeyInfo(der);
    if (key) {
      add(std::move(*key));
      added = true;
    }
  }
  return added;
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
