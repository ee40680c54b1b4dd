#include "Platform/PcscCardConnection.hpp"

#include <PCSC/pcsclite.h>

#include "Platform/PcscContext.hpp"

namespace ekyc {

namespace {

NFCError transportError(const std::string& what, LONG rv) {
  return NFCError::reader(NFCReaderErrorCode::readerTransceiveErrorTagConnectionLost,
                          what + ": " + PcscContext::describe(rv));
}

}  // namespace

PcscCardConnection::PcscCardConnection(std::shared_ptr<PcscContext> context, std::string readerName)
    : context_(std::move(context)), readerName_(std::move(readerName)) {}

// Never left as it is: a connection dropped while connected resets the card like any other end.
PcscCardConnection::~PcscCardConnection() { disconnect(); }

std::optional<NFCError> PcscCardConnection::connect() {
  if (connected_) return std::nullopt;
  LONG rv = SCardConnect(context_->handle(), readerName_.c_str(), SCARD_SHARE_SHARED, SCARD_PROTOCOL_T1, &card_,
                         &protocol_);
  if (rv == SCARD_E_PROTO_MISMATCH) {
    rv = SCardConnect(context_->handle(), readerName_.c_str(), SCARD_SHARE_SHARED, SCARD_PROTOCOL_T0, &card_,
                      &protocol_);
  }
  if (rv != SCARD_S_SUCCESS) return transportError("SCardConnect", rv);
  // The card is ours alone until the session lets it go: no other client slips a command in
  // between a VERIFY and the command it unlocks (pcsc-lite refuses their commands meanwhile).
  rv = SCardBeginTransaction(card_);
  if (rv == SCARD_W_RESET_CARD) {  // another client reset the card as this one connected: once more
    rv = SCardReconnect(card_, SCARD_SHARE_SHARED, protocol_, SCARD_LEAVE_CARD, &protocol_);
    if (rv == SCARD_S_SUCCESS) rv = SCardBeginTransaction(card_);
  }
  if (rv != SCARD_S_SUCCESS) {
    SCardDisconnect(card_, SCARD_RESET_CARD);
    return transportError("SCardBeginTransaction", rv);
  }
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

std::expected<Bytes, NFCError> PcscCardConnection::transmit(const NFCISO7816APDU& apdu, std::stop_token) {
  return exchange(apdu.encoded());
}

void PcscCardConnection::disconnect() {
  if (!connected_) return;
  // A reset drops the card's security status (verified PINs) with the session; it is done while
  // the transaction still holds the card, then the disconnect resets once more on its way out.
  SCardEndTransaction(card_, SCARD_RESET_CARD);
  SCardDisconnect(card_, SCARD_RESET_CARD);
  connected_ = false;
}

}  // namespace ekyc
