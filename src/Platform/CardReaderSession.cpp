#include "Platform/CardReaderSession.hpp"

#include <algorithm>
#include <utility>

#include "Platform/CardConnection.hpp"
#include "Platform/CardReader.hpp"
#include "Platform/CardReaderTag.hpp"
#include "Platform/NFCAlertPresenter.hpp"
#include "Platform/SerialQueue.hpp"

namespace ekyc {

namespace {

NFCError sessionInvalidated() {
  return NFCError::reader(NFCReaderErrorCode::readerTransceiveErrorSessionInvalidated, "Session invalidated");
}

NFCError userCanceled() {
  return NFCError::reader(NFCReaderErrorCode::readerSessionInvalidationErrorUserCanceled,
                          "Session invalidated by user");
}

}  // namespace

CardReaderSession::CardReaderSession(std::shared_ptr<CardReader> reader, std::shared_ptr<NFCAlertPresenter> presenter,
                                     std::chrono::milliseconds timeout,
                                     std::shared_ptr<NFCTagReaderSessionDelegate> delegate)
    : reader_(std::move(reader)),
      presenter_(std::move(presenter)),
      timeout_(timeout),
      delegate_(std::move(delegate)),
      queue_(std::make_unique<SerialQueue>()),
      io_(std::make_unique<SerialQueue>()) {}

CardReaderSession::~CardReaderSession() {
  // The I/O thread first: stop what it waits for, let it finish; then the callback queue (which
  // detaches itself when this runs on it).
  ioStop_.request_stop();
  io_.reset();
  queue_.reset();
}

void CardReaderSession::setAlertMessage(const std::string& message) {
  bool show = false;
  {
    std::lock_guard lock(mutex_);
    alertMessage_ = message;
    show = began_ && !ended_;
  }
  if (show && presenter_) presenter_->present(message);
}

std::string CardReaderSession::alertMessage() const {
  std::lock_guard lock(mutex_);
  return alertMessage_;
}

void CardReaderSession::begin() {
  auto self = shared_from_this();
  std::string message;
  {
    std::lock_guard lock(mutex_);
    if (began_ || ended_) return;
    began_ = true;
    self_ = self;
    message = alertMessage_;
  }
  reader_->sessionBegan(self);
  if (!message.empty() && presenter_) presenter_->present(message);

  queue_->async([self] { self->becameActive(); });
  std::weak_ptr<CardReaderSession> weak = self;
  queue_->asyncAt(SerialQueue::Clock::now() + timeout_, [weak] {
    if (auto session = weak.lock()) {
      session->end(NFCError::reader(NFCReaderErrorCode::readerSessionInvalidationErrorSessionTimeout,
                                    "Session timeout"));
    }
  });
  io_->async([weak, reader = reader_, stop = ioStop_.get_token()] {
    if (stop.stop_requested()) return;
    auto cards = reader->waitForCards(stop);
    if (stop.stop_requested()) return;  // the session has ended; the cards are let go
    if (auto session = weak.lock()) {
      session->queue_->async([session, cards = std::move(cards)]() mutable { session->detected(std::move(cards)); });
    }
  });
}

void CardReaderSession::becameActive() {
  if (hasEnded()) return;
  if (auto delegate = currentDelegate()) delegate->tagReaderSessionDidBecomeActive(*this);
}

void CardReaderSession::detected(std::expected<std::vector<std::shared_ptr<CardConnection>>, NFCError> cards) {
  if (!cards) {
    end(cards.error());
    return;
  }
  std::vector<std::shared_ptr<CardReaderTag>> tags;
  for (auto& card : *cards) tags.push_back(std::make_shared<CardReaderTag>(shared_from_this(), std::move(card)));
  {
    std::lock_guard lock(mutex_);
    if (ended_) return;
    tags_ = tags;
  }
  std::vector<std::shared_ptr<NFCTag>> detectedTags(tags.begin(), tags.end());
  if (auto delegate = currentDelegate()) delegate->tagReaderSession(*this, detectedTags);
}

void CardReaderSession::connect(const std::shared_ptr<NFCTag>& tag,
                                std::function<void(std::optional<NFCError>)> completionHandler) {
  auto completion = std::make_shared<std::function<void(std::optional<NFCError>)>>(std::move(completionHandler));
  auto ourTag = std::dynamic_pointer_cast<CardReaderTag>(tag);
  auto operation = std::make_shared<Operation>();
  operation->fail = [completion](const NFCError& error) { (*completion)(error); };
  std::optional<NFCError> refusal;
  {
    std::lock_guard lock(mutex_);
    if (ended_) {
      refusal = sessionInvalidated();
    } else if (!ourTag || std::find(tags_.begin(), tags_.end(), ourTag) == tags_.end()) {
      refusal = NFCError::reader(NFCReaderErrorCode::readerTransceiveErrorTagNotConnected,
                                 "Tag is not from this session");
    } else {
      operations_.push_back(operation);
    }
  }
  if (refusal) {
    refuse([completion, error = *refusal] { (*completion)(error); });
    return;
  }
  std::weak_ptr<CardReaderSession> weak = shared_from_this();
  io_->async([weak, ourTag, operation, completion, stop = ioStop_.get_token()] {
    if (stop.stop_requested()) return;  // the session's end completes it
    std::optional<NFCError> error = ourTag->connection()->connect();
    auto session = weak.lock();
    if (!session) return;
    session->queue_->async([session, ourTag, operation, completion, error] {
      if (!session->takeOperation(operation)) return;
      if (session->hasEnded()) {
        (*completion)(sessionInvalidated());
        return;
      }
      if (!error) {
        std::shared_ptr<CardReaderTag> previous;
        {
          std::lock_guard lock(session->mutex_);
          if (session->connected_ != ourTag) previous = session->connected_;
          session->connected_ = ourTag;
          session->tagLost_ = false;
        }
        // One tag is connected at a time: connecting to another lets the previous one go.
        if (previous) session->io_->async([connection = previous->connection()] { connection->disconnect(); });
      }
      (*completion)(error);
    });
  });
}

void CardReaderSession::send(
    const std::shared_ptr<CardReaderTag>& tag, const NFCISO7816APDU& apdu,
    std::function<void(Bytes, std::uint8_t, std::uint8_t, std::optional<NFCError>)> completionHandler) {
  auto completion = std::make_shared<CommandCompletion>(std::move(completionHandler));
  auto operation = std::make_shared<Operation>();
  operation->fail = [completion](const NFCError& error) { (*completion)(Bytes{}, 0x00, 0x00, error); };
  std::optional<NFCError> refusal;
  {
    std::lock_guard lock(mutex_);
    if (ended_) {
      refusal = sessionInvalidated();
    } else if (connected_ != tag) {
      refusal = NFCError::reader(NFCReaderErrorCode::readerTransceiveErrorTagNotConnected, "Tag is not connected");
    } else if (tagLost_) {
      refusal = NFCError::reader(NFCReaderErrorCode::readerTransceiveErrorTagConnectionLost, "Tag connection lost");
    } else {
      operations_.push_back(operation);
    }
  }
  if (refusal) {
    refuse([completion, error = *refusal] { (*completion)(Bytes{}, 0x00, 0x00, error); });
    return;
  }
  const std::shared_ptr<CardConnection>& connection = tag->connection();
  if (!connection->answersInProcess()) {  // a reader that may block: straight to the I/O thread
    toIoThread(connection, apdu, operation, completion);
    return;
  }
  // Sent from the queue (a chain's next command, from the completion of the one before), the
  // command goes to the card at once; from another thread it goes through the queue. Either way
  // its completion runs later, on the queue, never inside sendCommand.
  if (queue_->isCurrent() && queuedCommands_.load(std::memory_order_acquire) == 0) {
    dispatch(connection, apdu, operation, completion, true);
    return;
  }
  queuedCommands_.fetch_add(1, std::memory_order_acq_rel);
  queue_->async([self = shared_from_this(), connection, apdu, operation, completion] {
    self->queuedCommands_.fetch_sub(1, std::memory_order_acq_rel);
    self->dispatch(connection, apdu, operation, completion, false);
  });
}

void CardReaderSession::dispatch(const std::shared_ptr<CardConnection>& connection, const NFCISO7816APDU& apdu,
                                 const std::shared_ptr<Operation>& operation,
                                 const std::shared_ptr<CommandCompletion>& completion, bool insideSend) {
  if (operation->done || hasEnded()) return;  // the session's end completes it
  // A card that answers in-process answers right here, without waking the I/O thread; but not
  // while earlier commands are still with the I/O thread, so that answers keep their order.
  if (ioCommands_.load(std::memory_order_acquire) == 0) {
    if (auto answer = connection->transmitAtOnce(apdu)) {
      if (!insideSend) {
        answered(operation, completion, std::move(*answer));
      } else {
        queue_->async([self = shared_from_this(), operation, completion, answer = std::move(*answer)]() mutable {
          self->answered(operation, completion, std::move(answer));
        });
      }
      return;
    }
  }
  toIoThread(connection, apdu, operation, completion);
}

void CardReaderSession::toIoThread(const std::shared_ptr<CardConnection>& connection, const NFCISO7816APDU& apdu,
                                   const std::shared_ptr<Operation>& operation,
                                   const std::shared_ptr<CommandCompletion>& completion) {
  ioCommands_.fetch_add(1, std::memory_order_acq_rel);
  std::weak_ptr<CardReaderSession> weak = shared_from_this();
  io_->async([weak, connection, apdu, operation, completion, stop = ioStop_.get_token()] {
    if (stop.stop_requested()) return;  // the session's end completes it
    std::expected<Bytes, NFCError> answer = connection->transmit(apdu, stop);
    auto session = weak.lock();
    if (!session) return;
    session->queue_->async([session, operation, completion, answer = std::move(answer)]() mutable {
      session->ioCommands_.fetch_sub(1, std::memory_order_acq_rel);
      session->answered(operation, completion, std::move(answer));
    });
  });
}

void CardReaderSession::answered(const std::shared_ptr<Operation>& operation,
                                 const std::shared_ptr<CommandCompletion>& completion,
                                 std::expected<Bytes, NFCError> answer) {
  if (!takeOperation(operation)) return;
  if (hasEnded()) {  // no answer is handed out once the session has been ended
    (*completion)(Bytes{}, 0x00, 0x00, sessionInvalidated());
    return;
  }
  if (!answer) {
    {
      std::lock_guard lock(mutex_);
      tagLost_ = true;
    }
    (*completion)(Bytes{}, 0x00, 0x00, answer.error());
    return;
  }
  Bytes& raw = *answer;
  if (raw.size() < 2) {
    (*completion)(Bytes{}, 0x00, 0x00,
                  NFCError::reader(NFCReaderErrorCode::readerTransceiveErrorTagResponseError,
                                   "The card's answer has no status word"));
    return;
  }
  const std::uint8_t sw1 = raw[raw.size() - 2];
  const std::uint8_t sw2 = raw[raw.size() - 1];
  raw.resize(raw.size() - 2);
  (*completion)(std::move(raw), sw1, sw2, std::nullopt);
}

void CardReaderSession::refuse(std::function<void()> completion) {
  queue_->async([self = shared_from_this(), completion = std::move(completion)] { completion(); });
}

bool CardReaderSession::takeOperation(const std::shared_ptr<Operation>& operation) {
  if (operation->done) return false;
  operation->done = true;
  std::lock_guard lock(mutex_);
  std::erase(operations_, operation);
  return true;
}

void CardReaderSession::invalidate() { end(userCanceled()); }

void CardReaderSession::invalidate(const std::string& errorMessage) {
  bool show = false;
  {
    std::lock_guard lock(mutex_);
    show = began_ && !ended_;
  }
  if (show && presenter_) presenter_->present(errorMessage);
  end(userCanceled());
}

bool CardReaderSession::cancelBySheet() { return end(userCanceled()); }

bool CardReaderSession::end(const NFCError& error) {
  {
    std::lock_guard lock(mutex_);
    if (ended_) return false;
    ended_ = true;
  }
  ioStop_.request_stop();
  queue_->async([self = shared_from_this(), error] { self->finish(error); });
  return true;
}

void CardReaderSession::finish(const NFCError& error) {
  std::vector<std::shared_ptr<Operation>> operations;
  std::shared_ptr<CardConnection> connection;
  std::vector<std::shared_ptr<CardReaderTag>> tags;
  std::shared_ptr<NFCTagReaderSessionDelegate> delegate;
  {
    std::lock_guard lock(mutex_);
    operations.swap(operations_);
    if (connected_) connection = connected_->connection();
    connected_.reset();
    tags.swap(tags_);
    delegate = delegate_;
  }
  if (connection) io_->async([connection] { connection->disconnect(); });
  for (const auto& operation : operations) {
    if (operation->done) continue;
    operation->done = true;
    operation->fail(sessionInvalidated());
  }
  operations.clear();
  tags.clear();
  if (delegate) delegate->tagReaderSession(*this, error);
  delegate.reset();
  std::shared_ptr<CardReaderSession> keptAlive;
  {
    std::lock_guard lock(mutex_);
    delegate_.reset();
    keptAlive.swap(self_);
  }
  reader_->sessionEnded(this);
  // keptAlive goes here; this task still holds the session, so it is not destroyed inside.
}

std::shared_ptr<NFCTagReaderSessionDelegate> CardReaderSession::currentDelegate() const {
  std::lock_guard lock(mutex_);
  return delegate_;
}

bool CardReaderSession::hasBegun() const {
  std::lock_guard lock(mutex_);
  return began_;
}

bool CardReaderSession::hasEnded() const {
  std::lock_guard lock(mutex_);
  return ended_;
}

std::thread::id CardReaderSession::queueThreadId() const { return queue_->threadId(); }

}  // namespace ekyc
