#include "Platform/OpenSslRandomSource.hpp"

#include <openssl/rand.h>

#include <climits>

namespace ekyc {

std::optional<Bytes> OpenSslRandomSource::randomBytes(std::size_t count) {
  if (count > static_cast<std::size_t>(INT_MAX)) return std::nullopt;
  Bytes out(count);
  if (count == 0) return out;
  if (RAND_bytes(out.data(), static_cast<int>(count)) != 1) return std::nullopt;
  return out;
}

std::shared_ptr<RandomSource> RandomSource::system() { return std::make_shared<OpenSslRandomSource>(); }

}  // namespace ekyc
