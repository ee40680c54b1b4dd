#include "Platform/PcscCardConnection.hpp"

#include <PCSC/pcsclite.h>

#include "Platform/PcscContext.hpp"

namespace ekyc {

namespace {

// GET RESPONSE rounds at most: 65,536 bytes in parts of 256 and a margin.
constexpr int MAX_RESPONSE_PARTS = 300;
constexpr std::size_t MAX_RESPONSE_DATA = 65536;

NFCError transportError(const std::string& what, LONG rv) {
  return NFCError::reader(NFCReaderErrorCode::readerTransceiveErrorTagConnectionLost,
                          what + ": " + PcscContext::describe(rv));
}

}  // namespace

PcscCardConnection::PcscCardConnection(std::shared_ptr<PcscContext> context, std::string readerName)
    : context_(std::move(context)), readerName_(std::move(readerName)) {}

PcscCardConnection::~PcscCardConnection() {
  if (connected_) SCardDisconnect(card_, SCARD_LEAVE_CARD);
}

std::optional<NFCError> PcscCardConnection::connect() {
  if (connected_) return std::nullopt;
  LONG rv = SCardConnect(context_->handle(), readerName_.c_str(), SCARD_SHARE_SHARED, SCARD_PROTOCOL_T1, &card_,
                         &protocol_);
  if (rv == SCARD_E_PROTO_MISMATCH) {
    rv = SCardConnect(context_->handle(), readerName_.c_str(), SCARD_SHARE_SHARED, SCARD_PROTOCOL_T0, &card_,
                      &protocol_);
  }
  if (rv != SCARD_S_SUCCESS) return transportError("SCardConnect", rv);
  connected_ = true;
  receive_.assign(RECEIVE_BUFFER_SIZE, 0);
  return std::nullopt;
}

std::expected<Bytes, NFCError> PcscCardConnection::exchange(const Bytes& command) {
  if (!connected_) {
    return std::unexpected(
        NFCError::reader(NFCReaderErrorCode::readerTransceiveErrorTagNotConnected, "Tag is not connected"));
  }
  const SCARD_IO_REQUEST* pci = protocol_ == SCARD_PROTOCOL_T0 ? SCARD_PCI_T0 : SCARD_PCI_T1;
  DWORD length = static_cast<DWORD>(receive_.size());
  const LONG rv = SCardTransmit(card_, pci, command.data(), static_cast<DWORD>(command.size()), nullptr,
                                receive_.data(), &length);
  if (rv != SCARD_S_SUCCESS) return std::unexpected(transportError("SCardTransmit", rv));
  // No status word at all: the exchange broke (vpcd reports a card that has left this way).
  if (length < 2) {
    return std::unexpected(NFCError::reader(NFCReaderErrorCode::readerTransceiveErrorTagConnectionLost,
                                            "SCardTransmit: the answer has no status word"));
  }
  return Bytes(receive_.begin(), receive_.begin() + static_cast<std::ptrdiff_t>(length));
}

std::expected<Bytes, NFCError> PcscCardConnection::transmit(const NFCISO7816APDU& apdu, std::stop_token stop) {
  auto answer = exchange(apdu.encoded());
  if (!answer) return answer;
  // 6Cxx: wrong length, xx the right one; the same command once more with it.
  if (answer->size() == 2 && (*answer)[0] == 0x6C) {
    const std::size_t le = (*answer)[1] == 0 ? 256 : (*answer)[1];
    answer = exchange(apdu.withExpectedResponseLength(le).encoded());
    if (!answer) return answer;
  }
  // 61xx: more data waits; GET RESPONSE until the card gives its final status.
  Bytes data;
  for (int part = 0; answer->size() >= 2 && (*answer)[answer->size() - 2] == 0x61; ++part) {
    if (part >= MAX_RESPONSE_PARTS || stop.stop_requested()) break;
    data.insert(data.end(), answer->begin(), answer->end() - 2);
    if (data.size() > MAX_RESPONSE_DATA) break;
    const std::uint8_t available = answer->back();
    answer = exchange(Bytes{static_cast<std::uint8_t>(apdu.instructionClass() & 0x03), 0xC0, 0x00, 0x00, available});
    if (!answer) return answer;
  }
  if (data.empty()) return answer;
  data.insert(data.end(), answer->begin(), answer->end());
  return data;
}

void PcscCardConnection::disconnect() {
  if (!connected_) return;
  // A reset drops the card's security status (verified PINs) with the session.
  SCardDisconnect(card_, SCARD_RESET_CARD);
  connected_ = false;
}

}  // namespace ekyc
