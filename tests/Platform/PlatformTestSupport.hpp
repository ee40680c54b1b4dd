#pragma once
// Commands of the sample card and small waits shared by the platform tests.
#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include "Platform/NFCISO7816APDU.hpp"
#include "Platform/VirtualCard/VirtualSampleCard.hpp"

namespace ekyc::test {

inline NFCISO7816APDU selectSampleApplication() {
  return NFCISO7816APDU(0x00, 0xA4, 0x04, 0x0C, VirtualSampleCard::AID, std::nullopt);
}
inline NFCISO7816APDU selectFile(std::uint16_t id) {
  return NFCISO7816APDU(0x00, 0xA4, 0x02, 0x0C,
                        Bytes{static_cast<std::uint8_t>(id >> 8), static_cast<std::uint8_t>(id & 0xFF)}, std::nullopt);
}
inline NFCISO7816APDU verifyPin(const std::string& pin) {
  return NFCISO7816APDU(0x00, 0x20, 0x00, 0x80, toBytes(pin), std::nullopt);
}
inline NFCISO7816APDU readBinary(std::size_t le, std::uint16_t offset = 0) {
  return NFCISO7816APDU(0x00, 0xB0, static_cast<std::uint8_t>(offset >> 8), static_cast<std::uint8_t>(offset & 0xFF),
                        {}, le);
}

// The sample card's whole chain: select, verify, read both files.
inline std::vector<NFCISO7816APDU> sampleChain(const std::string& pin = "1234") {
  return {selectSampleApplication(),
          selectFile(VirtualSampleCard::PIN_FILE),
          verifyPin(pin),
          selectFile(VirtualSampleCard::PROTECTED_FILE),
          readBinary(VirtualSampleCard::PROTECTED_SIZE),
          selectFile(VirtualSampleCard::FREE_FILE),
          readBinary(VirtualSampleCard::FREE_SIZE)};
}

// Polls a condition for up to a generous limit (the tests never assert timing).
inline bool eventually(const std::function<bool()>& condition,
                       std::chrono::milliseconds limit = std::chrono::seconds(10)) {
  const auto until = std::chrono::steady_clock::now() + limit;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

}  // namespace ekyc::test
