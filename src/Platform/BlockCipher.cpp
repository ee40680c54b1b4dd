#include "Platform/BlockCipher.hpp"

#include <openssl/crypto.h>
#include <openssl/evp.h>

#include <algorithm>
#include <climits>
#include <memory>

namespace ekyc {

namespace {

struct CtxFree {
  void operator()(EVP_CIPHER_CTX* ctx) const { EVP_CIPHER_CTX_free(ctx); }
};

const EVP_CIPHER* cipherFor(BlockCipher::Mode mode) {
  // Always the three-key form: two-key and single-DES keys are widened to 24 bytes first.
  static EVP_CIPHER* const cbc = EVP_CIPHER_fetch(nullptr, "DES-EDE3-CBC", nullptr);
  static EVP_CIPHER* const ecb = EVP_CIPHER_fetch(nullptr, "DES-EDE3-ECB", nullptr);
  return mode == BlockCipher::Mode::CBC ? cbc : ecb;
}

}  // namespace

std::optional<Bytes> BlockCipher::run(Algorithm algorithm, Direction direction, Mode mode,
                                      std::span<const std::uint8_t> key, std::span<const std::uint8_t> iv,
                                      std::span<const std::uint8_t> data, bool pkcs7Padding) {
  // The widened key is wiped on every way out.
  struct WipedKey {
    std::uint8_t bytes[24] = {};
    ~WipedKey() { OPENSSL_cleanse(bytes, sizeof bytes); }
  } wiped;
  std::uint8_t* const key24 = wiped.bytes;
  if (algorithm == Algorithm::DES) {
    if (key.size() != 8) return std::nullopt;
    for (int i = 0; i < 3; ++i) std::copy(key.begin(), key.end(), key24 + 8 * i);
  } else if (key.size() == 16) {
    std::copy(key.begin(), key.end(), key24);
    std::copy(key.begin(), key.begin() + 8, key24 + 16);
  } else if (key.size() == 24) {
    std::copy(key.begin(), key.end(), key24);
  } else {
    return std::nullopt;
  }
  if (mode == Mode::CBC && iv.size() != blockSize) return std::nullopt;
  // OpenSSL takes the input length as an int.
  if (data.size() > static_cast<std::size_t>(INT_MAX) - blockSize) return std::nullopt;
  if (!pkcs7Padding && data.size() % blockSize != 0) return std::nullopt;
  if (direction == Direction::Decrypt && pkcs7Padding && (data.empty() || data.size() % blockSize != 0)) {
    return std::nullopt;
  }

  const EVP_CIPHER* cipher = cipherFor(mode);
  std::unique_ptr<EVP_CIPHER_CTX, CtxFree> ctx(EVP_CIPHER_CTX_new());
  if (cipher == nullptr || !ctx) return std::nullopt;
  const int enc = direction == Direction::Encrypt ? 1 : 0;
  if (EVP_CipherInit_ex2(ctx.get(), cipher, key24, mode == Mode::CBC ? iv.data() : nullptr, enc, nullptr) != 1) {
    return std::nullopt;
  }
  EVP_CIPHER_CTX_set_padding(ctx.get(), pkcs7Padding ? 1 : 0);

  Bytes out(data.size() + blockSize);
  int written = 0;
  int total = 0;
  if (!data.empty()) {
    if (EVP_CipherUpdate(ctx.get(), out.data(), &written, data.data(), static_cast<int>(data.size())) != 1) {
      return std::nullopt;
    }
    total = written;
  }
  if (EVP_CipherFinal_ex(ctx.get(), out.data() + total, &written) != 1) return std::nullopt;
  total += written;
  out.resize(static_cast<std::size_t>(total));
  return out;
}

}  // namespace ekyc
