#include "Utility/Crypt.hpp"

#include <algorithm>

#include "Platform/BlockCipher.hpp"
#include "Platform/Digest.hpp"

namespace ekyc {

namespace {

constexpr std::size_t kBlock = BlockCipher::blockSize;

BlockCipher::Direction directionOf(const Crypt& crypt, int mode) {
  return mode == crypt.ENCRYPT ? BlockCipher::Direction::Encrypt : BlockCipher::Direction::Decrypt;
}

}  // namespace

Crypt::Crypt() : ENCRYPT(0), DECRYPT(1) {}

Bytes Crypt::TDES(const Bytes& key, const Bytes& message, const Bytes& iv, int mode) const {
  return BlockCipher::tripleDesCbc(directionOf(*this, mode), key, iv, message).value_or(Bytes{});
}

Bytes Crypt::DES(const Bytes& key, const Bytes& message, const Bytes& iv, int mode, int options) const {
  constexpr int kPkcs7Padding = 0x1;
  constexpr int kEcbMode = 0x2;
  if ((options & ~(kPkcs7Padding | kEcbMode)) != 0) return {};
  const auto cipherMode = (options & kEcbMode) != 0 ? BlockCipher::Mode::ECB : BlockCipher::Mode::CBC;
  return BlockCipher::run(BlockCipher::Algorithm::DES, directionOf(*this, mode), cipherMode, key, iv, message,
                          (options & kPkcs7Padding) != 0)
      .value_or(Bytes{});
}

Bytes Crypt::getCBCMac(const Bytes& src, const Bytes& key) const {
  if (key.size() < kBlock) return {};
  const std::size_t whole = src.size() / kBlock * kBlock;
  if (whole == 0) return Bytes(kBlock, 0x00);
  const Bytes zeroIv(kBlock, 0x00);
  const auto out = BlockCipher::desCbc(BlockCipher::Direction::Encrypt, std::span(key).first(kBlock), zeroIv,
                                       std::span(src).first(whole));
  if (!out || out->size() < kBlock) return {};
  return Bytes(out->end() - kBlock, out->end());
}

Bytes Crypt::getRetailMac(const Bytes& src, const Bytes& key) const {
  if (key.size() != 2 * kBlock) return {};
  const std::span<const std::uint8_t> k1 = std::span(key).first(kBlock);
  const std::span<const std::uint8_t> k2 = std::span(key).subspan(kBlock, kBlock);
  Bytes h = getCBCMac(src, key);
  if (h.size() != kBlock) return {};
  h[0] ^= 0x80;
  const Bytes zeroIv(kBlock, 0x00);
  using D = BlockCipher::Direction;
  auto step = BlockCipher::desCbc(D::Encrypt, k1, zeroIv, h);
  if (step) step = BlockCipher::desCbc(D::Decrypt, k2, zeroIv, *step);
  if (step) step = BlockCipher::desCbc(D::Encrypt, k1, zeroIv, *step);
  return step.value_or(Bytes{});
}

Bytes Crypt::padding7816_4(const Bytes& data, std::size_t offset, std::size_t length) const {
  const std::size_t stop = std::min(length, data.size());
  const std::size_t start = std::min(offset, stop);
  Bytes out(data.begin() + static_cast<std::ptrdiff_t>(start), data.begin() + static_cast<std::ptrdiff_t>(stop));
  out.push_back(0x80);
  while (out.size() % kBlock != 0) out.push_back(0x00);
  return out;
}

Bytes Crypt::sha1(const Bytes& data) const { return Digest::sha1(data); }

}  // namespace ekyc
