#include "Platform/CardReaderSession.hpp"

#include <algorithm>
#include <utility>

#include "Platform/CardConnection.hpp"
#include "Platform/CardReader.hpp"
#include "Platform/CardReaderTag.hpp"
#include "Platform/HostCall.hpp"
#include "Platform/NFCAlertPresenter.hpp"
#include "Platform/ResponseChaining.hpp"
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

// How deep this thread is in presenter calls.
thread_local int presenting = 0;

}  // namespace

CardReaderSession::CardReaderSession(std::shared_ptr<CardReader> reader, std::shared_ptr<NFCAlertPresenter> presenter,
                                     std::chrono::milliseconds timeout,
                                     std::shared_ptr<NFCTagReaderSessionDelegate> delegate)
    : reader_(std::move(reader)),
      presenter_(std::move(presenter)),
      timeout_(timeout),
      delegate_(std::move(delegate)),
      queue_(std::make_unique<SerialQueue>(true)) {}

CardReaderSession::~CardReaderSession() {
  // Stop what a blocking task waits for; the queue waits for it (or detaches itself when this runs
  // on it). A session that began has let the card go by now (releaseCard holds it until then).
  ioStop_.request_stop();
  queue_.reset();
  for (const auto& connection : opened_) connection->disconnect();
  bool holds = false;
  {
    std::lock_guard lock(mutex_);
    holds = registered_ && !released_;
  }
  if (holds) reader_->sessionEnded(this);
}

void CardReaderSession::setAlertMessage(const std::string& message) {
  bool show = false;
  {
    std::lock_guard lock(mutex_);
    alertMessage_ = message;
    show = began_ && !ended_;
  }
  if (show) present(message);
}

void CardReaderSession::present(const std::string& text) const {
  if (!presenter_) return;
  ++presenting;
  struct Leave {
    ~Leave() { --presenting; }
  } leave;
  callHost("the NFC sheet presenter", [&] { presenter_->present(text); });
}

bool CardReaderSession::presentingOnThisThread() { return presenting > 0; }

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
  // An end from another thread may come once began_ is set: a session ended before the reader
  // registers it is not registered (and ends no other session); one ended after may even have let
  // the card go before registered_ is set, and then the reader is told here, else by releaseCard.
  const bool registered = reader_->sessionBegan(self);
  bool releasedMeanwhile = false;
  {
    std::lock_guard lock(mutex_);
    registered_ = registered;
    releasedMeanwhile = released_;
  }
  if (registered && releasedMeanwhile) reader_->sessionEnded(this);
  // The time-out is armed before the host's presenter is shown anything: a session counted as
  // holding the card always ends.
  std::weak_ptr<CardReaderSession> weak = self;
  queue_->asyncAt(SerialQueue::Clock::now() + timeout_, [weak] {
    if (auto session = weak.lock()) {
      session->end(NFCError::reader(NFCReaderErrorCode::readerSessionInvalidationErrorSessionTimeout,
                                    "Session timeout"));
    }
  });
  if (!message.empty()) present(message);

  queue_->async([self] { self->becameActive(); });
  queue_->asyncBlocking([self, stop = ioStop_.get_token()] {
    // The card is ours once the sessions before this one have let it go.
    if (!self->reader_->waitForTurn(self.get(), stop)) return;
    auto cards = self->reader_->waitForCards(stop);
    if (stop.stop_requested()) return;  // the session has ended; the cards are let go
    self->queue_->async([self, cards = std::move(cards)]() mutable { self->detected(std::move(cards)); });
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
  queue_->asyncBlocking([self = shared_from_this(), ourTag, operation, completion, stop = ioStop_.get_token()] {
    if (stop.stop_requested()) return;  // the session's end completes it
    const auto& connection = ourTag->connection();
    // One tag is connected at a time: connecting to another lets the previous one go.
    std::erase_if(self->opened_, [&connection](const auto& open) {
      if (open == connection) return false;
      open->disconnect();
      return true;
    });
    std::optional<NFCError> error = connection->connect();
    if (!error && std::find(self->opened_.begin(), self->opened_.end(), connection) == self->opened_.end()) {
      self->opened_.push_back(connection);
    }
    self->queue_->async([self, ourTag, operation, completion, error] {
      if (!self->takeOperation(operation)) return;
      if (self->hasEnded()) {
        (*completion)(sessionInvalidated());
        return;
      }
      if (!error) {
        std::lock_guard lock(self->mutex_);
        self->connected_ = ourTag;
        self->tagLost_ = false;
      }
      (*completion)(error);
    });
  });
}

void CardReaderSession::send(const std::shared_ptr<CardReaderTag>& tag, const NFCISO7816APDU& apdu,
                             CommandCompletion completionHandler) {
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
  // Sent from a completion (a chain's next command), the thread that runs it sends the command
  // once the completion returns, then runs the answer's completion: no thread hand-off.
  queue_->asyncBlocking([self = shared_from_this(), connection = tag->connection(), apdu, operation, completion,
                         stop = ioStop_.get_token()]() mutable {
    if (stop.stop_requested()) return;  // the session's end completes it
    std::expected<Bytes, NFCError> answer = ResponseChaining::transmit(*connection, apdu, stop);
    self->queue_->async([self, operation, completion, answer = std::move(answer)]() mutable {
      self->answered(operation, completion, std::move(answer));
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
  if (show) present(errorMessage);
  end(userCanceled());
}

bool CardReaderSession::withdraw() {
  std::shared_ptr<NFCTagReaderSessionDelegate> dropped;
  {
    std::lock_guard lock(mutex_);
    if (began_ || ended_) return false;
    ended_ = true;
    dropped.swap(delegate_);
  }
  return true;
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
  std::vector<std::shared_ptr<CardReaderTag>> tags;
  std::shared_ptr<NFCTagReaderSessionDelegate> delegate;
  {
    std::lock_guard lock(mutex_);
    operations.swap(operations_);
    connected_.reset();
    tags.swap(tags_);
    delegate = delegate_;
  }
  // The card is let go with a reset as the session's last card I/O, behind any command still with
  // the card; the task holds the session until it has run.
  queue_->asyncBlocking([self = shared_from_this()] { self->releaseCard(); });
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
  // keptAlive goes here; this task still holds the session, so it is not destroyed inside.
}

void CardReaderSession::releaseCard() {
  for (const auto& connection : opened_) connection->disconnect();
  opened_.clear();
  bool registered = false;
  {
    std::lock_guard lock(mutex_);
    released_ = true;
    registered = registered_;
  }
  if (registered) reader_->sessionEnded(this);
}

std::shared_ptr<NFCTagReaderSessionDelegate> CardReaderSession::currentDelegate() const {
  std::lock_guard lock(mutex_);
  return delegate_;
}

bool CardReaderSession::hasEnded() const {
  std::lock_guard lock(mutex_);
  return ended_;
}

bool CardReaderSession::isQueueThread(std::thread::id thread) const { return queue_->runsOn(thread); }

}  // namespace ekyc
