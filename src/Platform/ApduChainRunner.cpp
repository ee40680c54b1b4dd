#include "Platform/ApduChainRunner.hpp"

#include "Platform/CardReader.hpp"
#include "Platform/Platform.hpp"

namespace ekyc {

ApduChainRunner::ApduChainRunner(std::vector<NFCISO7816APDU> commands, Texts texts)
    : commands_(std::move(commands)), texts_(std::move(texts)) {}

std::shared_ptr<ApduChainRunner> ApduChainRunner::start(const Platform& platform,
                                                        std::vector<NFCISO7816APDU> commands, Texts texts) {
  auto runner = std::make_shared<ApduChainRunner>(std::move(commands), std::move(texts));
  auto session = NFCTagReaderSession::create(platform, NFCPollingOption::iso14443, runner);
  if (!session) return nullptr;
  runner->session_ = session;
  runner->reader_ = platform.cardReader;
  runner->releaseWait_ = platform.releaseWait;
  session->setAlertMessage(runner->texts_.initial);
  session->begin();
  return runner;
}

ApduChainRunner::Result ApduChainRunner::run(const Platform& platform, std::vector<NFCISO7816APDU> commands,
                                             Texts texts) {
  auto runner = start(platform, std::move(commands), std::move(texts));
  if (!runner) {
    Result result;
    result.failure = NFCError::other("The NFC session could not be created");
    return result;
  }
  return runner->wait();
}

std::shared_ptr<ApduChainRunner> ApduChainRunner::start(const Platform& platform,
                                                        std::vector<NFCISO7816APDU> commands) {
  return start(platform, std::move(commands), Texts{});
}

ApduChainRunner::Result ApduChainRunner::run(const Platform& platform, std::vector<NFCISO7816APDU> commands) {
  return run(platform, std::move(commands), Texts{});
}

ApduChainRunner::Result ApduChainRunner::wait() {
  Result result;
  {
    std::unique_lock lock(mutex_);
    ended_.wait(lock, [this] { return done_; });
    // The session and the tag are dropped here, on the caller's thread; the session has ended.
    session_.reset();
    tag_.reset();
    result = result_;
  }
  // The end is reported before the session's last card I/O, the reset: the host gets the result
  // only once the card has been let go.
  if (reader_) reader_->waitUntilReleased(releaseWait_);
  return result;
}

void ApduChainRunner::tagReaderSessionDidBecomeActive(NFCTagReaderSession&) {}

void ApduChainRunner::tagReaderSession(NFCTagReaderSession& session,
                                       const std::vector<std::shared_ptr<NFCTag>>& didDetect) {
  if (didDetect.empty()) {
    fail(NFCError::other("No tag was detected"));
    return;
  }
  session.setAlertMessage(texts_.read);
  auto tag = didDetect.front();
  session.connect(tag, [self = shared_from_this(), tag](std::optional<NFCError> error) {
    if (error) {
      self->fail(*error);
      return;
    }
    auto iso = tag->iso7816();
    if (!iso) {
      self->fail(NFCError::other("The tag is not an ISO 7816 tag"));
      return;
    }
    {
      std::lock_guard lock(self->mutex_);
      self->tag_ = iso;
    }
    self->sendNext(0);
  });
}

void ApduChainRunner::sendNext(std::size_t index) {
  std::shared_ptr<NFCISO7816Tag> tag;
  std::shared_ptr<NFCTagReaderSession> session;
  {
    std::lock_guard lock(mutex_);
    tag = tag_;
    session = session_;
  }
  if (index == commands_.size()) {
    {
      std::lock_guard lock(mutex_);
      result_.completed = true;
    }
    session->setAlertMessage(texts_.success);
    session->invalidate();
    return;
  }
  tag->sendCommand(commands_[index], [self = shared_from_this(), index](Bytes data, std::uint8_t sw1,
                                                                        std::uint8_t sw2, std::optional<NFCError> error) {
    const bool ok = !error && sw1 == 0x90;
    {
      std::lock_guard lock(self->mutex_);
      self->result_.exchanges.push_back({self->commands_[index], std::move(data), sw1, sw2, error});
    }
    if (!ok) {
      std::shared_ptr<NFCTagReaderSession> session;
      {
        std::lock_guard lock(self->mutex_);
        session = self->session_;
      }
      session->invalidate(self->texts_.error);
      return;
    }
    self->sendNext(index + 1);
  });
}

void ApduChainRunner::fail(NFCError error) {
  std::shared_ptr<NFCTagReaderSession> session;
  {
    std::lock_guard lock(mutex_);
    result_.failure = std::move(error);
    session = session_;
  }
  if (session) session->invalidate(texts_.error);
}

void ApduChainRunner::tagReaderSession(NFCTagReaderSession&, const NFCError& didInvalidateWithError) {
  {
    std::lock_guard lock(mutex_);
    result_.sessionEnd = didInvalidateWithError;
    done_ = true;
  }
  ended_.notify_all();
}

}  // namespace ekyc
