#include "Platform/ResponseChaining.hpp"

#include "Platform/CardConnection.hpp"

namespace ekyc {

namespace {

// GET RESPONSE rounds at most: 65,536 bytes in parts of 256 and a margin.
constexpr int MAX_RESPONSE_PARTS = 300;
constexpr std::size_t MAX_RESPONSE_DATA = 65536;

bool hasStatus(const Bytes& answer, std::uint8_t sw1) {
  return answer.size() >= 2 && answer[answer.size() - 2] == sw1;
}

}  // namespace

std::expected<Bytes, NFCError> ResponseChaining::transmit(CardConnection& connection, const NFCISO7816APDU& apdu,
                                                          std::stop_token stop) {
  auto answer = connection.transmit(apdu, stop);
  if (!answer) return answer;
  if (answer->size() == 2 && (*answer)[0] == 0x6C && apdu.expectedResponseLength() && !stop.stop_requested()) {
    const std::size_t le = (*answer)[1] == 0 ? 256 : (*answer)[1];
    answer = connection.transmit(apdu.withExpectedResponseLength(le), stop);
    if (!answer) return answer;
  }
  Bytes data;
  for (int part = 0; hasStatus(*answer, 0x61); ++part) {
    if (part >= MAX_RESPONSE_PARTS || stop.stop_requested()) break;
    data.insert(data.end(), answer->begin(), answer->end() - 2);
    if (data.size() > MAX_RESPONSE_DATA) break;
    const std::size_t available = answer->back() == 0 ? 256 : answer->back();
    const NFCISO7816APDU getResponse(static_cast<std::uint8_t>(apdu.instructionClass() & 0x03), 0xC0, 0x00, 0x00, {},
                                     available);
    answer = connection.transmit(getResponse, stop);
    if (!answer) return answer;
  }
  if (data.empty()) return answer;
  data.insert(data.end(), answer->begin(), answer->end());
  return data;
}

}  // namespace ekyc
