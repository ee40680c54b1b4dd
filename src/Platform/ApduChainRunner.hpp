#pragma once
// Runs a fixed chain of command APDUs over one NFC session, as a reader would: begin with the
// initial sheet text, connect to the first detected tag, send each command from the completion of
// the one before, stop at the first answer whose SW1 is not 90, and end the session with the
// success or the error text. For the example host, benchmarks and platform tests.
//
// wait() returns once the session has ended and the card reader has reset the card and let it go
// (at most the platform's releaseWait), so a host may stop its reader right after it.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "Extension/Bytes.hpp"
#include "Platform/NFCISO7816APDU.hpp"
#include "Platform/NFCReaderError.hpp"
#include "Platform/NFCTagReaderSession.hpp"

namespace ekyc {

class CardReader;
class Platform;

class ApduChainRunner : public NFCTagReaderSessionDelegate, public std::enable_shared_from_this<ApduChainRunner> {
 public:
  struct Texts {
    std::string initial = "Hold the card to the reader";
    std::string read = "Reading the card";
    std::string success = "Done";
    std::string error = "The card could not be read";
  };
  struct Exchange {
    NFCISO7816APDU command;
    Bytes data;
    std::uint8_t sw1 = 0;
    std::uint8_t sw2 = 0;
    std::optional<NFCError> error;
  };
  struct Result {
    std::vector<Exchange> exchanges;
    // Every command was answered with SW1 90.
    bool completed = false;
    // Why the chain could not run (no session, no tag, not ISO 7816, connection failed).
    std::optional<NFCError> failure;
    // How the session ended.
    std::optional<NFCError> sessionEnd;
  };

  // Creates the session and begins it; null when the session cannot be created.
  static std::shared_ptr<ApduChainRunner> start(const Platform& platform, std::vector<NFCISO7816APDU> commands,
                                                Texts texts);
  static std::shared_ptr<ApduChainRunner> start(const Platform& platform, std::vector<NFCISO7816APDU> commands);
  // Blocks until the session has ended and its card has been reset and let go (at most the
  // platform's releaseWait for the reset), and returns what happened.
  Result wait();
  // start() then wait(); a result with a failure when no session could be created.
  static Result run(const Platform& platform, std::vector<NFCISO7816APDU> commands, Texts texts);
  static Result run(const Platform& platform, std::vector<NFCISO7816APDU> commands);

  void tagReaderSessionDidBecomeActive(NFCTagReaderSession& session) override;
  void tagReaderSession(NFCTagReaderSession& session, const std::vector<std::shared_ptr<NFCTag>>& didDetect) override;
  void tagReaderSession(NFCTagReaderSession& session, const NFCError& didInvalidateWithError) override;

  ApduChainRunner(std::vector<NFCISO7816APDU> commands, Texts texts);

 private:
  void sendNext(std::size_t index);
  void fail(NFCError error);

  const std::vector<NFCISO7816APDU> commands_;
  const Texts texts_;
  std::shared_ptr<CardReader> reader_;
  std::chrono::milliseconds releaseWait_{0};
  std::shared_ptr<NFCTagReaderSession> session_;
  std::shared_ptr<NFCISO7816Tag> tag_;
  std::mutex mutex_;
  std::condition_variable ended_;
  bool done_ = false;
  Result result_;
};

}  // namespace ekyc
