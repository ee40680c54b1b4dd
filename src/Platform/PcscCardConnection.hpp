#pragma once
// A card in a PC/SC reader. Connects with T=1, else T=0, and holds a transaction on the card from
// connect to disconnect, so that no other PC/SC client sends commands during the session;
// transmits one short or extended command at a time with a receive buffer for the largest extended
// answer (65,536 data bytes and the status word), response chaining being the session's
// (ResponseChaining); a card that is gone (removed, reset, reader lost) or an exchange that brings
// no status word is a transport error. Every disconnect, the destructor's included, resets the
// card.
#include <memory>
#include <string>

#include <PCSC/winscard.h>

#include "Platform/CardConnection.hpp"

namespace ekyc {

class PcscContext;

class PcscCardConnection : public CardConnection {
 public:
  static constexpr std::size_t RECEIVE_BUFFER_SIZE = 65538;

  PcscCardConnection(std::shared_ptr<PcscContext> context, std::string readerName);
  ~PcscCardConnection() override;

  bool isISO7816() const override { return true; }
  std::optional<NFCError> connect() override;
  std::expected<Bytes, NFCError> transmit(const NFCISO7816APDU& apdu, std::stop_token stop) override;
  void disconnect() override;

  const std::string& readerName() const { return readerName_; }
  // The protocol in use once connected (SCARD_PROTOCOL_T1 or SCARD_PROTOCOL_T0).
  DWORD protocol() const { return protocol_; }

 private:
  std::expected<Bytes, NFCError> exchange(const Bytes& command);

  const std::shared_ptr<PcscContext> context_;
  const std::string readerName_;
  SCARDHANDLE card_ = 0;
  bool connected_ = false;
  DWORD protocol_ = 0;
  Bytes receive_;
};

}  // namespace ekyc
