#pragma once
// SHA-256 (FIPS 180-4) that compresses at most `loopTime` 64-byte blocks of the padded message and
// gives the chaining value reached there: the SHA-256 digest itself when the padded message has
// no more blocks than that, else the state after the first `loopTime` blocks (the driving licence
// publishes the state after 16 blocks of its signed files). This is the one digest written by hand
// here, because OpenSSL does not give the raw chaining value.
//
// Beside it: BytesSequence (slices of at most chunkSize elements of a byte collection, in order),
// bitPadding (a byte 80 and the fewest zero bytes that make length + allowance a multiple of the
// block size) and toUInt32Array (groups of four bytes, the first the least significant).
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "Extension/Bytes.hpp"

namespace ekyc {

// The slices of `data`, each of at most `chunkSize` elements, from the start; the last is shorter
// when the length is not a multiple of chunkSize. A chunkSize below 1 yields nothing.
//
// A value that holds its collection: made from a temporary (or moved into), it keeps the elements
// alive for itself, its copies and every iterator made from them, which share the one immutable
// collection rather than copy it.
template <class Collection>
class BytesSequence {
  // Declared first: `data` refers to it.
  std::shared_ptr<const Collection> elements_;

 public:
  const std::ptrdiff_t chunkSize;
  const Collection& data;

  BytesSequence(std::ptrdiff_t chunkSize_, Collection data_)
      : elements_(std::make_shared<const Collection>(std::move(data_))), chunkSize(chunkSize_), data(*elements_) {}
  // Copied, never moved (a move would leave `data` of the source on elements it no longer owns):
  // the copy shares the elements, so both name the same collection.
  BytesSequence(const BytesSequence&) = default;

  class Iterator {
   public:
    Iterator(std::shared_ptr<const Collection> elements, std::ptrdiff_t chunkSize, std::size_t offset)
        : elements_(std::move(elements)), chunkSize_(chunkSize), offset_(offset) {}
    // The next slice (valid while this iterator or a sequence of its collection lives); absent once
    // no element is left.
    std::optional<std::span<const std::uint8_t>> next() {
      const std::size_t size = std::size(*elements_);
      if (chunkSize_ < 1 || offset_ >= size) return std::nullopt;
      const std::size_t length = std::min<std::size_t>(static_cast<std::size_t>(chunkSize_), size - offset_);
      std::span<const std::uint8_t> slice(std::data(*elements_) + offset_, length);
      offset_ += length;
      return slice;
    }

   private:
    std::shared_ptr<const Collection> elements_;
    std::ptrdiff_t chunkSize_;
    std::size_t offset_;
  };

  Iterator makeIterator() const { return Iterator(elements_, chunkSize, 0); }
};

// A copy of `data`, then 80, then the fewest zero bytes (possibly none) that make the length plus
// `allowance` a multiple of `blockSize`. A blockSize below 1 gives the copy with 80 alone.
Bytes bitPadding(const Bytes& data, std::ptrdiff_t blockSize, std::ptrdiff_t allowance = 0);

// Consecutive groups of four bytes, each a word with the group's first byte least significant; a
// last group of fewer than four bytes gives one word from the bytes it has.
std::vector<std::uint32_t> toUInt32Array(std::span<const std::uint8_t> bytes);

class SHA256WIP {
 public:
  const Bytes message;
  const std::int64_t loopTime;

  SHA256WIP(Bytes message, std::int64_t loopTime);
  virtual ~SHA256WIP() = default;

  // The 32-byte chaining value (eight big-endian words) after at most loopTime blocks; H(0) when
  // loopTime is 0 or below.
  Bytes calculate32() const;

  // The constants of FIPS 180-4: H(0) and K.
  static const std::array<std::uint32_t, 8>& initialHashValues();
  static const std::array<std::uint32_t, 64>& roundConstants();

 private:
  // `value` as `length` big-endian bytes (its lowest bytes when length is below 8).
  static Bytes arrayOfBytes(std::uint64_t value, std::size_t length = sizeof(std::uint64_t));
  static void compress(std::array<std::uint32_t, 8>& state, std::span<const std::uint8_t> block);
};

}  // namespace ekyc
