#pragma once
// How the residence card's files are read (absent: the file is not what its format promises).
// Stateless, so that the reader and the fuzz targets share it.
#include <cstdint>
#include <optional>
#include <utility>

#include "Extension/Bytes.hpp"

namespace ekyc {

class ResidenceCardFiles {
 public:
  // The whole text of the bytes as a decimal number (digits only, optionally signed).
  static std::optional<std::int64_t> decimal(const std::optional<Bytes>& data);
  // The card type file: C1 whose value is a decimal number.
  static std::optional<std::int64_t> cardTypeNumber(const Bytes& file);
  // A decrypted protected file: exactly one D0 (front image, 7000 bytes) or D1 (photo, 3000 bytes)
  // element; its value.
  static std::optional<Bytes> protectedFileValue(const Bytes& file, bool frontImage);
  // The signatures file: DA of 256 bytes and DB of 1200 bytes, in this order.
  static std::optional<std::pair<Bytes, Bytes>> signaturesFile(const Bytes& file);
};

}  // namespace ekyc
