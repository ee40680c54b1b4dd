#pragma once
// Random bytes from OpenSSL's RAND_bytes (a CSPRNG seeded by the operating system).
#include "Platform/RandomSource.hpp"

namespace ekyc {

class OpenSslRandomSource : public RandomSource {
 public:
  std::optional<Bytes> randomBytes(std::size_t count) override;
};

}  // namespace ekyc
