#include "Platform/NFCISO7816APDU.hpp"

namespace ekyc {

NFCISO7816APDU::NFCISO7816APDU(std::uint8_t instructionClass, std::uint8_t instructionCode,
                               std::uint8_t p1Parameter, std::uint8_t p2Parameter, Bytes data,
                               std::optional<std::size_t> expectedResponseLength)
    : cla_(instructionClass), ins_(instructionCode), p1_(p1Parameter), p2_(p2Parameter),
      data_(std::move(data)), le_(expectedResponseLength) {}

NFCISO7816APDU NFCISO7816APDU::raw(Bytes bytes) {
  NFCISO7816APDU apdu;
  if (bytes.size() >= 4) {
    apdu.cla_ = bytes[0];
    apdu.ins_ = bytes[1];
    apdu.p1_ = bytes[2];
    apdu.p2_ = bytes[3];
  }
  apdu.raw_ = std::move(bytes);
  return apdu;
}

NFCISO7816APDU NFCISO7816APDU::withExpectedResponseLength(std::size_t le) const {
  if (raw_) {
    // Re-encode a raw command with the new Le: only a case-2 short command (5 bytes) is rewritten.
    Bytes bytes = *raw_;
    if (bytes.size() == 5) bytes[4] = static_cast<std::uint8_t>(le & 0xFF);
    return raw(bytes);
  }
  NFCISO7816APDU copy = *this;
  copy.le_ = le;
  return copy;
}

Bytes NFCISO7816APDU::encoded() const {
  if (raw_) return *raw_;
  Bytes out{cla_, ins_, p1_, p2_};
  const std::size_t lc = data_.size();
  const bool extended = lc > 255 || (le_ && *le_ > 256);
  if (!extended) {
    if (lc > 0) {
      out.push_back(static_cast<std::uint8_t>(lc));
      out.insert(out.end(), data_.begin(), data_.end());
    }
    if (le_) out.push_back(static_cast<std::uint8_t>(*le_ == 256 ? 0 : *le_));
    return out;
  }
  if (lc > 0) {
    out.push_back(0x00);
    out.push_back(static_cast<std::uint8_t>((lc >> 8) & 0xFF));
    out.push_back(static_cast<std::uint8_t>(lc & 0xFF));
    out.insert(out.end(), data_.begin(), data_.end());
  }
  if (le_) {
    const std::size_t le = *le_ >= 65536 ? 0 : *le_;
    if (lc == 0) out.push_back(0x00);
    out.push_back(static_cast<std::uint8_t>((le >> 8) & 0xFF));
    out.push_back(static_cast<std::uint8_t>(le & 0xFF));
  }
  return out;
}

}  // namespace ekyc
