// The facade between the host thread and the NFC queues: requests that run real sessions, results
// delivered on the session's queue, and a host that starts the next request from inside its
// result callback while another thread uses the PIN store.
#include <atomic>
#include "Support/RunLoopPump.hpp"
#include <chrono>
#include <expected>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "Identify/Identify.hpp"
#include "Platform/NFCTagReaderSession.hpp"
#include "Platform/VirtualCard/VirtualCardReader.hpp"
#include "Reader/ReaderContext.hpp"
#include "Reader/ReaderSupport.hpp"
#include "Support/TestErrors.hpp"
#include "UI/InputPinDialog.hpp"
#include "UI/ScriptedViewController.hpp"
#include "Utility/Utility.hpp"

namespace ekyc::test {
namespace {

using namespace std::chrono_literals;
using Answer = ScriptedViewController::Answer;

class SessionRecord {};

class SessionReaderDelegate {
 public:
  virtual ~SessionReaderDelegate() = default;
  virtual void didGetSession(const std::expected<SessionRecord, TestReaderError>& result) = 0;
};

// A reader in the shape of the real ones: the PIN preset or from the dialog, validated, then a
// session; no card ever comes, so every session ends by its time-out and the end-of-session
// mapping delivers on the session's queue, followed by didGetPin("").
class SessionReader : public NFCTagReaderSessionDelegate, public std::enable_shared_from_this<SessionReader> {
 public:
  static inline std::mutex liveMutex;
  static inline std::vector<std::weak_ptr<SessionReader>> built;

  SessionReader(std::shared_ptr<SessionReaderDelegate> delegate, ReaderContext context)
      : delegate_(std::move(delegate)), context_(std::move(context)) {}

  void fetch(std::optional<std::string> pin) {
    {
      std::lock_guard lock(liveMutex);
      built.push_back(weak_from_this());
    }
    if (pin) {
      if (accept(*pin)) beginScan();
      return;
    }
    auto dialog = std::make_shared<InputPinDialog>();
    auto self = shared_from_this();
    const auto& texts = context_.inputPinDialogDisplaySettingGroup;
    dialog->show(context_.uIViewController, texts.pin1DialogTitle, texts.pin1DialogMessage,
                 texts.pin1DialogPlaceholder, texts.dialogActionTitleOK, texts.dialogActionTitleCancel, "",
                 [self, dialog] {
                   if (dialog->dialogPin) {
                     if (self->accept(*dialog->dialogPin)) self->beginScan();
                   } else {
                     self->deliver(ReaderSupport::pinDialogCanceled<TestReaderError>(KEY, self->context_.idetifyDelegate));
                     ReaderSupport::didGetPin(self->context_.idetifyDelegate, "");
                   }
                 });
  }

  void tagReaderSessionDidBecomeActive(NFCTagReaderSession&) override {}
  void tagReaderSession(NFCTagReaderSession&, const std::vector<std::shared_ptr<NFCTag>>&) override {}
  void tagReaderSession(NFCTagReaderSession&, const NFCError& error) override {
    deliver(ReaderSupport::sessionEndFailure<TestReaderError>(error));
    ReaderSupport::didGetPin(context_.idetifyDelegate, "");
    session_.reset();
  }

 private:
  static constexpr SetPinKey KEY = SetPinKey::MYNUMBERCARD_PROMPTED_PII_PIN;

  bool accept(const std::string& pin) {
    const auto failure = ReaderSupport::pinRuleFailure<TestReaderError>(Utility().validatePin(KEY, pin), KEY,
                                                                        context_.idetifyDelegate);
    if (!failure) return true;
    deliver(*failure);
    ReaderSupport::didGetPin(context_.idetifyDelegate, "");
    return false;
  }
  void beginScan() {
    session_ = NFCTagReaderSession::create(*context_.platform, NFCPollingOption::iso14443, shared_from_this());
    if (!session_) {
      deliver(TestReaderError::cardConnectionLost());
      ReaderSupport::didGetPin(context_.idetifyDelegate, "");
      return;
    }
    session_->begin();
  }
  void deliver(const TestReaderError& error) {
    if (delegate_) delegate_->didGetSession(std::unexpected(error));
  }

  std::shared_ptr<SessionReaderDelegate> delegate_;
  ReaderContext context_;
  std::shared_ptr<NFCTagReaderSession> session_;
};

const InputPinDialogDisplaySettingGroup PIN_TEXTS{"t1", "t2", "m1", "m2", "p1", "p2", "OK", "Cancel"};
const NFCDialogMessageSettingGroup NFC_TEXTS{"hold", "reading", "done", "failed"};

class IdentifyThreadsTest : public testing::Test {
 protected:
  void SetUp() override {
    std::lock_guard lock(SessionReader::liveMutex);
    SessionReader::built.clear();
  }

  static Platform platform() {
    Platform platform;
    platform.cardReader = std::make_shared<VirtualCardReader>();
    platform.sessionTimeout = 5ms;
    return platform;
  }

  std::shared_ptr<RunLoop> runLoop = std::make_shared<RunLoop>();
  std::shared_ptr<ScriptedViewController> viewController = std::make_shared<ScriptedViewController>(runLoop);
  std::shared_ptr<Identify> identify = Identify::create(viewController, 5.0, platform());
};

TEST_F(IdentifyThreadsTest, TheNextRequestStartsFromInsideACallbackOnTheNfcQueue) {
  constexpr int REQUESTS = 40;

  struct Host : SessionReaderDelegate {
    std::weak_ptr<Identify> identify;
    std::shared_ptr<ScriptedViewController> viewController;
    std::shared_ptr<RunLoop> runLoop;
    std::mutex mutex;
    std::vector<std::int64_t> codes;
    std::atomic<int> onHostThread{0};

    void request(int n) {
      auto facade = identify.lock();
      if (n % 2 == 0) {
        facade->setPin(SetPinKey::MYNUMBERCARD_PROMPTED_PII_PIN, "1234");
      } else {
        viewController->enqueue(Answer::OK("5678"));
      }
      facade->runRequest<SessionReader>(
          std::static_pointer_cast<SessionReaderDelegate>(self.lock()), &SessionReaderDelegate::didGetSession,
          PIN_TEXTS, NFC_TEXTS, [](SessionReader& reader, const Identify::RequestPins& pins) {
            reader.fetch(pins.pin(SetPinKey::MYNUMBERCARD_PROMPTED_PII_PIN));
          });
    }
    void didGetSession(const std::expected<SessionRecord, TestReaderError>& result) override {
      if (runLoop->isHostThread()) ++onHostThread;
      std::size_t count = 0;
      {
        std::lock_guard lock(mutex);
        codes.push_back(result ? 0 : result.error().errorCode);
        count = codes.size();
      }
      if (count < REQUESTS) request(static_cast<int>(count));
    }
    std::size_t count() {
      std::lock_guard lock(mutex);
      return codes.size();
    }
    std::weak_ptr<Host> self;
  };

  auto host = std::make_shared<Host>();
  host->self = host;
  host->identify = identify;
  host->viewController = viewController;
  host->runLoop = runLoop;

  // Another thread of the host uses the facade all the while.
  std::atomic<bool> stop{false};
  std::thread other([&] {
    while (!stop.load()) {
      identify->setPin(SetPinKey::DRIVERLICENSE_PIN1, "0000");
      (void)identify->pinDic();
      (void)identify->pinForSigner();
      (void)identify->failedPinDic();
      (void)identify->hasReader();
      std::this_thread::yield();
    }
  });

  runLoop->post([&] { host->request(0); });
  const bool finished = ::ekyc::test::pumpUntil(*runLoop, [&] { return host->count() >= REQUESTS; }, 60s);
  stop = true;
  other.join();
  ASSERT_TRUE(finished) << host->count() << " results";

  {
    std::lock_guard lock(host->mutex);
    ASSERT_EQ(host->codes.size(), static_cast<std::size_t>(REQUESTS));
    for (const auto code : host->codes) EXPECT_EQ(code, 13600);
  }
  // Delivered on the sessions' queues, never on the host thread.
  EXPECT_EQ(host->onHostThread.load(), 0);
  // Every reader lets go once its session has ended, and the facade holds none.
  EXPECT_TRUE(::ekyc::test::pumpUntil(*runLoop, 
      [&] {
        std::lock_guard lock(SessionReader::liveMutex);
        for (const auto& weak : SessionReader::built)
          if (!weak.expired()) return false;
        return SessionReader::built.size() == static_cast<std::size_t>(REQUESTS);
      },
      10s));
  EXPECT_FALSE(identify->hasReader());
  EXPECT_EQ(identify->pinForSigner(), "");
}

TEST_F(IdentifyThreadsTest, RequestsFromTwoThreadsEachEndWithOneResult) {
  // Several requests at once from two threads: each one drops the previous reader, which runs on
  // to its end; exactly one result comes per request whatever the interleaving.
  struct Host : SessionReaderDelegate {
    std::atomic<int> results{0};
    void didGetSession(const std::expected<SessionRecord, TestReaderError>&) override { ++results; }
  };
  auto host = std::make_shared<Host>();
  constexpr int PER_THREAD = 20;
  auto start = [&](bool preset) {
    if (preset) {
      identify->setPin(SetPinKey::MYNUMBERCARD_PROMPTED_PII_PIN, "12");  // refused by the rule
    } else {
      viewController->enqueue(Answer::Cancel());
    }
    identify->runRequest<SessionReader>(host, &SessionReaderDelegate::didGetSession, PIN_TEXTS, NFC_TEXTS,
                                        [](SessionReader& reader, const Identify::RequestPins& pins) {
                                          reader.fetch(pins.pin(SetPinKey::MYNUMBERCARD_PROMPTED_PII_PIN));
                                        });
  };
  std::thread other([&] {
    for (int i = 0; i < PER_THREAD; ++i) start(i % 2 == 0);
  });
  for (int i = 0; i < PER_THREAD; ++i) runLoop->post([&, i] { start(i % 3 == 0); });
  other.join();
  ASSERT_TRUE(::ekyc::test::pumpUntil(*runLoop, [&] { return host->results.load() >= 2 * PER_THREAD; }, 60s)) << host->results.load();
  runLoop->runUntilIdle(20ms, 2s);
  EXPECT_EQ(host->results.load(), 2 * PER_THREAD);
  ASSERT_TRUE(identify->failedPinDic());
  EXPECT_EQ(identify->failedPinDic()->size(), 1u);
}

}  // namespace
}  // namespace ekyc::test
