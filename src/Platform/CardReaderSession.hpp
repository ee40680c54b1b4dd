#pragma once
// The NFC tag-reader session of the platform layer, running on a CardReader.
//
// Threads: every delegate callback and every completion runs on the session's serial queue, never
// on the caller's thread and never inside the call that queued it. Card I/O (waiting for a card,
// connecting, each command) runs as the queue's blocking tasks: one at a time, in order, on the
// thread that then runs its completion, so that a command chain runs on one thread with no
// hand-off, while the queue's second thread stays free for the session's end when a card is slow
// to answer or never does.
//
// One session per card reader has the card: begin() ends the reader's other sessions, and the
// session looks for a card only once they have let it go. Every end of a session (invalidate, the
// host's cancel, the time-out, the reader failing) disconnects the card it connected with a reset,
// as the last card I/O of the session, before the reader counts it as gone.
//
// Life: begin() makes the session active; it keeps itself (and its delegate) alive until it has
// reported its end through didInvalidateWithError, then drops the delegate, which breaks the
// reader <-> session cycle; the card is let go after that, and the session lives until then. The
// end comes from invalidate() (reported as 200, as a session that the app ends itself), from the
// host closing the sheet or another session beginning on the reader (200), from the time-out (201)
// or from the card reader failing. When it ends, commands and connections still pending complete
// with an error (and status 00 00), then didInvalidateWithError follows, exactly once.
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
  bool withdraw() override;

  // Ends the session as a user closing the sheet would (200). False when it had already ended.
  bool cancelBySheet();
  // Ends the session with the given error. False when it had already ended.
  bool end(const NFCError& error);

  bool hasEnded() const;
  // Whether this thread is inside a call of a session's alert presenter (host code).
  static bool presentingOnThisThread();
  // Whether the given thread is one of the session queue's threads, where every callback runs.
  bool isQueueThread(std::thread::id thread) const;

 private:
  friend class CardReaderTag;
  // An operation (connect or command) that must complete exactly once.
  struct Operation {
    bool done = false;  // touched on the queue only
    std::function<void(const NFCError&)> fail;
  };

  using CommandCompletion = std::function<void(Bytes, std::uint8_t, std::uint8_t, std::optional<NFCError>)>;
  void send(const std::shared_ptr<CardReaderTag>& tag, const NFCISO7816APDU& apdu, CommandCompletion completion);
  void answered(const std::shared_ptr<Operation>& operation, const std::shared_ptr<CommandCompletion>& completion,
                std::expected<Bytes, NFCError> answer);
  // The session's last card I/O: every card it connected is let go with a reset.
  void releaseCard();
  void refuse(std::function<void()> completion);
  void becameActive();
  void detected(std::expected<std::vector<std::shared_ptr<CardConnection>>, NFCError> cards);
  void finish(const NFCError& error);
  bool takeOperation(const std::shared_ptr<Operation>& operation);
  std::shared_ptr<NFCTagReaderSessionDelegate> currentDelegate() const;
  // Hands a sheet text to the host's presenter.
  void present(const std::string& text) const;

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
  std::vector<std::shared_ptr<CardConnection>> opened_;  // connected cards; touched by the blocking lane only
  // The card reader counts the session among those holding the card (begin has registered it),
  // and the session has let the card go (releaseCard); whichever comes second tells the reader.
  bool registered_ = false;
  bool released_ = false;

  std::stop_source ioStop_;
  std::unique_ptr<SerialQueue> queue_;
};

}  // namespace ekyc
