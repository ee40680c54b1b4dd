#pragma once
// The SHA-256 chaining value after the first 64 * blocks bytes, taken from OpenSSL's own context.
#include <openssl/sha.h>

#include "Extension/Bytes.hpp"

namespace ekyc::test {

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
inline Bytes opensslState(const Bytes& message, std::size_t blocks) {
  SHA256_CTX ctx;
  SHA256_Init(&ctx);
  SHA256_Update(&ctx, message.data(), 64 * blocks);
  Bytes out;
  for (const auto word : ctx.h)
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(word >> shift));
  return out;
}
#pragma GCC diagnostic pop

}  // namespace ekyc::test
