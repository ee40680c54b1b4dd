#pragma once
// A command APDU as a value (ISO/IEC 7816-4): CLA INS P1 P2, data, optional expected length,
// or raw bytes sent as they are. It knows its own encoding and does no I/O.
#include <cstddef>
#include <cstdint>
#include <optional>

#include "Extension/Bytes.hpp"

namespace ekyc {

class NFCISO7816APDU {
 public:
  // A structured command. expectedResponseLength is Le: absent when none is requested; 1..65536.
  NFCISO7816APDU(std::uint8_t instructionClass, std::uint8_t instructionCode, std::uint8_t p1Parameter,
                 std::uint8_t p2Parameter, Bytes data, std::optional<std::size_t> expectedResponseLength);
  // A raw command, sent as given.
  static NFCISO7816APDU raw(Bytes bytes);

  std::uint8_t instructionClass() const { return cla_; }
  std::uint8_t instructionCode() const { return ins_; }
  std::uint8_t p1Parameter() const { return p1_; }
  std::uint8_t p2Parameter() const { return p2_; }
  const Bytes& data() const { return data_; }
  std::optional<std::size_t> expectedResponseLength() const { return le_; }
  bool isRaw() const { return raw_.has_value(); }

  // The same command with another Le (a card's 6Cxx answer asks for that).
  NFCISO7816APDU withExpectedResponseLength(std::size_t le) const;

  // ISO 7816-4 encoding: short form when data <= 255 bytes and Le <= 256 (256 as 00),
  // extended form otherwise (Lc as 00 hi lo, Le as hi lo, or 00 hi lo when no data; 65536 as 00 00).
  Bytes encoded() const;

  bool operator==(const NFCISO7816APDU&) const = default;

 private:
  NFCISO7816APDU() = default;
  std::uint8_t cla_ = 0, ins_ = 0, p1_ = 0, p2_ = 0;
  Bytes data_;
  std::optional<std::size_t> le_;
  std::optional<Bytes> raw_;
};

}  // namespace ekyc
