#include "Platform/Digest.hpp"

#include <openssl/evp.h>

namespace ekyc {

namespace {

// Fetched once per process; the provider objects stay valid until exit.
const EVP_MD* fetched(Digest::Algorithm algorithm) {
  static EVP_MD* const sha1 = EVP_MD_fetch(nullptr, "SHA1", nullptr);
  static EVP_MD* const sha256 = EVP_MD_fetch(nullptr, "SHA256", nullptr);
  static EVP_MD* const sha384 = EVP_MD_fetch(nullptr, "SHA384", nullptr);
  static EVP_MD* const sha512 = EVP_MD_fetch(nullptr, "SHA512", nullptr);
  switch (algorithm) {
    case Digest::Algorithm::SHA1: return sha1;
    case Digest::Algorithm::SHA256: return sha256;
    case Digest::Algorithm::SHA384: return sha384;
    case Digest::Algorithm::SHA512: return sha512;
  }
  return nullptr;
}

}  // namespace

std::size_t Digest::size(Algorithm algorithm) {
  switch (algorithm) {
    case Algorithm::SHA1: return 20;
    case Algorithm::SHA256: return 32;
    case Algorithm::SHA384: return 48;
    case Algorithm::SHA512: return 64;
  }
  return 0;
}

Bytes Digest::compute(Algorithm algorithm, std::span<const std::uint8_t> data) {
  const EVP_MD* md = fetched(algorithm);
  if (md == nullptr) return {};
  Bytes out(EVP_MAX_MD_SIZE);
  unsigned int length = 0;
  if (EVP_Digest(data.data(), data.size(), out.data(), &length, md, nullptr) != 1) return {};
  out.resize(length);
  return out;
}

}  // namespace ekyc
