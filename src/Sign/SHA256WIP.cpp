#include "Sign/SHA256WIP.hpp"

#include <algorithm>
#include <bit>

namespace ekyc {

Bytes bitPadding(const Bytes& data, std::ptrdiff_t blockSize, std::ptrdiff_t allowance) {
  Bytes out = data;
  out.push_back(0x80);
  if (blockSize < 1) return out;
  const auto block = static_cast<std::size_t>(blockSize);
  const auto extra = static_cast<std::size_t>(((allowance % blockSize) + blockSize) % blockSize);
  const std::size_t rest = (out.size() + extra) % block;
  if (rest != 0) out.resize(out.size() + (block - rest), 0x00);
  return out;
}

std::vector<std::uint32_t> toUInt32Array(std::span<const std::uint8_t> bytes) {
  std::vector<std::uint32_t> words;
  for (std::size_t i = 0; i < bytes.size(); i += 4) {
    std::uint32_t word = 0;
    for (std::size_t j = 0; j < 4 && i + j < bytes.size(); ++j) word |= std::uint32_t{bytes[i + j]} << (8 * j);
    words.push_back(word);
  }
  return words;
}

const std::array<std::uint32_t, 8>& SHA256WIP::initialHashValues() {
  static const std::array<std::uint32_t, 8> h = {0x6A09E667, 0xBB67AE85, 0x3C6EF372, 0xA54FF53A,
                                                 0x510E527F, 0x9B05688C, 0x1F83D9AB, 0x5BE0CD19};
  return h;
}

const std::array<std::uint32_t, 64>& SHA256WIP::roundConstants() {
  static const std::array<std::uint32_t, 64> k = {
      0x428A2F98, 0x71374491, 0xB5C0FBCF, 0xE9B5DBA5, 0x3956C25B, 0x59F111F1, 0x923F82A4, 0xAB1C5ED5,
      0xD807AA98, 0x12835B01, 0x243185BE, 0x550C7DC3, 0x72BE5D74, 0x80DEB1FE, 0x9BDC06A7, 0xC19BF174,
      0xE49B69C1, 0xEFBE4786, 0x0FC19DC6, 0x240CA1CC, 0x2DE92C6F, 0x4A7484AA, 0x5CB0A9DC, 0x76F988DA,
      0x983E5152, 0xA831C66D, 0xB00327C8, 0xBF597FC7, 0xC6E00BF3, 0xD5A79147, 0x06CA6351, 0x14292967,
      0x27B70A85, 0x2E1B2138, 0x4D2C6DFC, 0x53380D13, 0x650A7354, 0x766A0ABB, 0x81C2C92E, 0x92722C85,
      0xA2BFE8A1, 0xA81A664B, 0xC24B8B70, 0xC76C51A3, 0xD192E819, 0xD6990624, 0xF40E3585, 0x106AA070,
      0x19A4C116, 0x1E376C08, 0x2748774C, 0x34B0BCB5, 0x391C0CB3, 0x4ED8AA4A, 0x5B9CCA4F, 0x682E6FF3,
      0x748F82EE, 0x78A5636F, 0x84C87814, 0x8CC70208, 0x90BEFFFA, 0xA4506CEB, 0xBEF9A3F7, 0xC67178F2};
  return k;
}

SHA256WIP::SHA256WIP(Bytes message_, std::int64_t loopTime_) : message(std::move(message_)), loopTime(loopTime_) {}

Bytes SHA256WIP::arrayOfBytes(std::uint64_t value, std::size_t length) {
  Bytes out(length, 0x00);
  for (std::size_t i = 0; i < length && i < sizeof value; ++i) {
    out[length - 1 - i] = static_cast<std::uint8_t>(value >> (8 * i));
  }
  return out;
}

void SHA256WIP::compress(std::array<std::uint32_t, 8>& state, std::span<const std::uint8_t> block) {
  std::array<std::uint32_t, 64> w{};
  for (std::size_t t = 0; t < 16; ++t) {
    // The group read least significant first, then byte-swapped: the big-endian word.
    w[t] = std::byteswap(toUInt32Array(block.subspan(4 * t, 4)).front());
  }
  for (std::size_t t = 16; t < 64; ++t) {
    const std::uint32_t s0 = std::rotr(w[t - 15], 7) ^ std::rotr(w[t - 15], 18) ^ (w[t - 15] >> 3);
    const std::uint32_t s1 = std::rotr(w[t - 2], 17) ^ std::rotr(w[t - 2], 19) ^ (w[t - 2] >> 10);
    w[t] = s1 + w[t - 7] + s0 + w[t - 16];
  }
  const auto& k = roundConstants();
  auto [a, b, c, d, e, f, g, h] = state;
  for (std::size_t t = 0; t < 64; ++t) {
    const std::uint32_t sigma1 = std::rotr(e, 6) ^ std::rotr(e, 11) ^ std::rotr(e, 25);
    const std::uint32_t ch = (e & f) ^ (~e & g);
    const std::uint32_t t1 = h + sigma1 + ch + k[t] + w[t];
    const std::uint32_t sigma0 = std::rotr(a, 2) ^ std::rotr(a, 13) ^ std::rotr(a, 22);
    const std::uint32_t maj = (a & b) ^ (a & c) ^ (b & c);
    const std::uint32_t t2 = sigma0 + maj;
    h = g;
    g = f;
    f = e;
    e = d + t1;
    d = c;
    c = b;
    b = a;
    a = t1 + t2;
  }
  state[0] += a; state[1] += b; state[2] += c; state[3] += d;
  state[4] += e; state[5] += f; state[6] += g; state[7] += h;
}

Bytes SHA256WIP::calculate32() const {
  Bytes padded = bitPadding(message, 64, 8);
  const Bytes bitLength = arrayOfBytes(static_cast<std::uint64_t>(message.size()) * 8, 8);
  padded.insert(padded.end(), bitLength.begin(), bitLength.end());

  std::array<std::uint32_t, 8> state = initialHashValues();
  std::int64_t n = 0;
  // The padded message moves into the walk: it is never copied again.
  auto blocks = BytesSequence<Bytes>(64, std::move(padded)).makeIterator();
  while (n < loopTime) {
    const auto block = blocks.next();
    if (!block) break;
    compress(state, *block);
    ++n;
  }
  Bytes out;
  out.reserve(32);
  for (const std::uint32_t word : state) {
    const Bytes part = arrayOfBytes(word, 4);
    out.insert(out.end(), part.begin(), part.end());
  }
  return out;
}

}  // namespace ekyc
