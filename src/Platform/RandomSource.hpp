#pragma once
// A source of random bytes. The library asks the Platform's source; null there means OpenSSL's.
#include <cstddef>
#include <memory>
#include <optional>

#include "Extension/Bytes.hpp"

namespace ekyc {

class RandomSource {
 public:
  virtual ~RandomSource() = default;
  // count random bytes; absent when the generator fails.
  virtual std::optional<Bytes> randomBytes(std::size_t count) = 0;

  // OpenSSL's generator (RAND_bytes), the default of every platform.
  static std::shared_ptr<RandomSource> system();
};

}  // namespace ekyc
