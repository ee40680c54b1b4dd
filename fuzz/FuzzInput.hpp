#pragma once
// Splits a fuzz input into the pieces a target needs: single bytes that choose, and byte strings
// whose length is taken from the input itself. Running out of input gives zeros and empty strings.
#include <cstddef>
#include <cstdint>
#include <string>

#include "Extension/Bytes.hpp"

namespace ekyc::fuzz {

class FuzzInput {
 public:
  FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  std::uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  bool flag() { return (byte() & 1) != 0; }
  // A piece of up to 65535 bytes whose length is read first (two bytes, big-endian).
  Bytes piece() {
    std::size_t length = static_cast<std::size_t>(byte()) << 8;
    length |= byte();
    return take(length);
  }
  // Exactly `count` bytes, 00 where the input has run out.
  Bytes fixed(std::size_t count) {
    Bytes out = take(count);
    out.resize(count, 0x00);
    return out;
  }
  // Everything that is left.
  Bytes rest() { return take(size_ - pos_); }
  std::string restText() {
    const Bytes b = rest();
    return std::string(b.begin(), b.end());
  }

 private:
  Bytes take(std::size_t length) {
    if (length > size_ - pos_) length = size_ - pos_;
    Bytes out(data_ + pos_, data_ + pos_ + length);
    pos_ += length;
    return out;
  }
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

}  // namespace ekyc::fuzz
