#pragma once
// The NFC tag-reader session of the platform layer, running on a CardReader.
//
// Threads: every delegate callback and every completion runs on the session's own serial queue,
// never on the caller's thread and never inside the call that queued it. Card I/O that may block
// (waiting for a card, connecting, sending commands to a real reader or a slow card) runs on a
// second thread of the session, so that the queue stays free for the session's end while a card
// is slow to answer; a card that answers in-process at once is sent its commands from the queue
// itself (CardConnection::transmitAtOnce), which spares two thread switches per command.
//
// Life: begin() makes the session active; it keeps itself (and its delegate) alive until it has
// reported its end through didInvalidateWithError, then drops the delegate, which breaks the
// reader <-> session cycle. The end comes from invalidate() (reported as 200, as a session that
// the app ends itself), from the host closing the sheet (200), from the time-out (201) or from
// the card reader failing. When it ends, commands and connections still pending complete with an
// error (and status 00 00), then didInvalidateWithError follows, exactly once.
#include <atomic>
#include <chrono>
#include <expected>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "Platform/NFCTagReaderSession.hpp"

namespace ekyc {

class CardConnection;
class CardReader;
class CardReaderTag;
class NFCAlertPresenter;
class SerialQueue;

class CardReaderSession : public NFCTagReaderSession, public std::enable_shared_from_this<CardReaderSession> {
 public:
  CardReaderSession(std::shared_ptr<CardReader> reader, std::shared_ptr<NFCAlertPresenter> presenter,
                    std::chrono::milliseconds timeout, std::shared_ptr<NFCTagReaderSessionDelegate> delegate);
  ~CardReaderSession() override;

  void setAlertMessage(const std::string& message) override;
  std::string alertMessage() const override;
  void begin() override;
  void connect(const std::shared_ptr<NFCTag>& tag,
               std::function<void(std::optional<NFCError>)> completionHandler) override;
  void invalidate() override;
  void invalidate(const std::string& errorMessage) override;

  // Ends the session as a user closing the sheet would (200). False when it had already ended.
  bool cancelBySheet();
  // Ends the session with the given error. False when it had already ended.
  bool end(const NFCError& error);

  bool hasBegun() const;
  bool hasEnded() const;
  // The thread of the session's queue, where every callback runs.
  std::thread::id queueThreadId() const;

 private:
  friend class CardReaderTag;
  // An operation (connect or command) that must complete exactly once.
  struct Operation {
    bool done = false;  // touched on the queue only
    std::function<void(const NFCError&)> fail;
  };

  void send(const std::shared_ptr<CardReaderTag>& tag, const NFCISO7816APDU& apdu,
            std::function<void(Bytes, std::uint8_t, std::uint8_t, std::optional<NFCError>)> completion);
  using CommandCompletion = std::function<void(Bytes, std::uint8_t, std::uint8_t, std::optional<NFCError>)>;
  void dispatch(const std::shared_ptr<CardConnection>& connection, const NFCISO7816APDU& apdu,
                const std::shared_ptr<Operation>& operation, const std::shared_ptr<CommandCompletion>& completion,
                bool insideSend);
  void toIoThread(const std::shared_ptr<CardConnection>& connection, const NFCISO7816APDU& apdu,
                  const std::shared_ptr<Operation>& operation, const std::shared_ptr<CommandCompletion>& completion);
  void answered(const std::shared_ptr<Operation>& operation, const std::shared_ptr<CommandCompletion>& completion,
                std::expected<Bytes, NFCError> answer);
  void refuse(std::function<void()> completion);
  void becameActive();
  void detected(std::expected<std::vector<std::shared_ptr<CardConnection>>, NFCError> cards);
  void finish(const NFCError& error);
  bool takeOperation(const std::shared_ptr<Operation>& operation);
  std::shared_ptr<NFCTagReaderSessionDelegate> currentDelegate() const;

  const std::shared_ptr<CardReader> reader_;
  const std::shared_ptr<NFCAlertPresenter> presenter_;
  const std::chrono::milliseconds timeout_;

  mutable std::mutex mutex_;
  std::shared_ptr<NFCTagReaderSessionDelegate> delegate_;
  std::shared_ptr<CardReaderSession> self_;  // held while active
  std::string alertMessage_;
  bool began_ = false;
  bool ended_ = false;
  bool tagLost_ = false;
  std::vector<std::shared_ptr<CardReaderTag>> tags_;
  std::shared_ptr<CardReaderTag> connected_;
  std::vector<std::shared_ptr<Operation>> operations_;
  std::atomic<int> ioCommands_{0};  // commands handed to the I/O thread and not yet answered
  std::atomic<int> queuedCommands_{0};  // commands sent from other threads, not yet taken by the queue

  std::stop_source ioStop_;
  std::unique_ptr<SerialQueue> queue_;
  std::unique_ptr<SerialQueue> io_;
};

}  // namespace ekyc
