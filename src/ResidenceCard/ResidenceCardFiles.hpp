#pragma once
// How the residence card's files are read.
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
  // A decrypted protected file (its first 7004 or 3004 bytes): the value of its D0 (front image)
  // or D1 (photo) element into `value`, absent when the file does not start with one; false (the
  // file is corrupt) when the element runs past the file or its value is longer than 7000 or 3000
  // bytes. A shorter value is kept; what follows the element is not checked.
  static bool protectedFileValue(const Bytes& file, bool frontImage, std::optional<Bytes>& value);
  // The signatures file: DA of 256 bytes and DB of 1200 bytes, in this order (absent otherwise).
  static std::optional<std::pair<Bytes, Bytes>> signaturesFile(const Bytes& file);
};

}  // namespace ekyc
