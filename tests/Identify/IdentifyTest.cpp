#include <expected>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Identify/Identify.hpp"
#include "Platform/CardReader.hpp"
#include "Reader/ReaderContext.hpp"
#include "Error/MyNumberInfoError.hpp"
#include "UI/ScriptedViewController.hpp"

namespace ekyc::test {
namespace {

// A request type of the tests' own: record, result protocol, reader.
class FakeRecord {
 public:
  std::string text;
};

class FakeReaderDelegate {
 public:
  virtual ~FakeReaderDelegate() = default;
  virtual void didGetFake(const std::expected<FakeRecord, MyNumberInfoError>& result) = 0;
};

class RecordingFakeDelegate : public FakeReaderDelegate {
 public:
  void didGetFake(const std::expected<FakeRecord, MyNumberInfoError>& result) override {
    results.push_back(result);
    if (onResult) onResult();
  }
  std::vector<std::expected<FakeRecord, MyNumberInfoError>> results;
  std::function<void()> onResult;
};

class FakeReader : public AbandonableRequest, public std::enable_shared_from_this<FakeReader> {
 public:
  static inline int constructed = 0;

  FakeReader(std::shared_ptr<FakeReaderDelegate> delegate, ReaderContext context)
      : delegate(std::move(delegate)), context(std::move(context)) {
    ++constructed;
  }
  std::shared_ptr<FakeReaderDelegate> delegate;
  ReaderContext context;
  std::optional<std::string> pinReceived;
  void abandon(bool) override {}
  bool endIfAbandoned() override { return false; }
};

const InputPinDialogDisplaySettingGroup PIN_TEXTS{"t1", "t2", "m1", "m2", "p1", "p2", "OK", "Cancel"};
const NFCDialogMessageSettingGroup NFC_TEXTS{"hold", "reading", "done", "failed"};

class IdentifyTest : public testing::Test {
 protected:
  void SetUp() override { FakeReader::constructed = 0; }

  // A request of the fake type through the shared runner.
  void request(std::function<void(FakeReader&, const Identify::RequestPins&)> entry = {}) {
    identify->runRequest<FakeReader>(delegate, &FakeReaderDelegate::didGetFake, PIN_TEXTS, NFC_TEXTS,
                                     [&](FakeReader& reader, const Identify::RequestPins& pins) {
                                       reader.pinReceived = pins.pin(SetPinKey::MYNUMBERCARD_MYNUMBER_PIN);
                                       if (entry) entry(reader, pins);
                                     });
  }

  std::shared_ptr<RunLoop> runLoop = std::make_shared<RunLoop>();
  std::shared_ptr<ScriptedViewController> viewController = std::make_shared<ScriptedViewController>(runLoop);
  // A platform without an NFC reader: the device cannot read tags.
  std::shared_ptr<Identify> identify = Identify::create(viewController, 12.5, Platform());
  std::shared_ptr<RecordingFakeDelegate> delegate = std::make_shared<RecordingFakeDelegate>();
};

// The PIN store has one unchecked entry per slot; didGetPin empties it and keeps the given PIN for
// the signer; failedPinDic holds only the last refusal, which the end of a request leaves.
TEST_F(IdentifyTest, PinStoreAndTheBackChannel) {
  ASSERT_EQ(identify->pinDic().size(), 9u);
  for (const auto key : allSetPinKeys()) EXPECT_FALSE(identify->pinDic().at(key)) << toString(key);
  identify->setPin(SetPinKey::DRIVERLICENSE_PIN1, "anything at all");
  identify->setPin(SetPinKey::MYNUMBERCARD_SIGNER_PIN, "ABC123");
  EXPECT_EQ(identify->pinDic().at(SetPinKey::DRIVERLICENSE_PIN1), "anything at all");
  EXPECT_FALSE(identify->pinDic().at(SetPinKey::DRIVERLICENSE_PIN2));
  identify->clearPinDic();
  for (const auto& [key, pin] : identify->pinDic()) EXPECT_FALSE(pin) << toString(key);

  identify->setPin(SetPinKey::MYNUMBERCARD_MYNUMBER_PIN, "123456789012");
  EXPECT_FALSE(identify->failedPinDic());
  identify->didGetFailedPin(SetPinKey::DRIVERLICENSE_PIN1, 3);
  EXPECT_EQ(identify->failedPinDic(), (Identify::FailedPinDictionary{{SetPinKey::DRIVERLICENSE_PIN1, 3}}));
  identify->didGetFailedPin(SetPinKey::MYNUMBERCARD_SIGNER_PIN, std::nullopt);
  identify->didGetPin("SIGN99");
  for (const auto& [key, pin] : identify->pinDic()) EXPECT_FALSE(pin) << toString(key);
  EXPECT_EQ(identify->pinForSigner(), "SIGN99");
  EXPECT_EQ(identify->failedPinDic(), (Identify::FailedPinDictionary{{SetPinKey::MYNUMBERCARD_SIGNER_PIN, std::nullopt}}));
  identify->didGetPin("");
  EXPECT_EQ(identify->pinForSigner(), "");
}

TEST_F(IdentifyTest, WithoutNfcAndWithoutDelegateNothingHappens) {
  delegate.reset();
  request();
  EXPECT_EQ(FakeReader::constructed, 0);
}

// An NFC reader that is there but never sees a card: enough for the facade to build readers.
class IdleCardReader : public CardReader {
 public:
  explicit IdleCardReader(bool available) : available_(available) {}
  bool isAvailable() override { return available_; }
  std::expected<std::vector<std::shared_ptr<CardConnection>>, NFCError> waitForCards(std::stop_token) override {
    return std::unexpected(NFCError::other("no card"));
  }

 private:
  bool available_;
};

Platform platformWithNfc(bool available = true) {
  Platform platform;
  platform.cardReader = std::make_shared<IdleCardReader>(available);
  platform.verificationUrl = "https://127.0.0.1:1/signature/verification";
  return platform;
}

class IdentifyRunnerTest : public IdentifyTest {
 protected:
  void SetUp() override {
    IdentifyTest::SetUp();
    identify = Identify::create(viewController, 7.0, platformWithNfc());
  }
};

TEST_F(IdentifyTest, AReaderThatIsNotAvailableCountsAsNoNfc) {
  identify = Identify::create(viewController, 7.0, platformWithNfc(false));
  request();
  EXPECT_EQ(FakeReader::constructed, 0);
  ASSERT_EQ(delegate->results.size(), 1u);
  EXPECT_EQ(delegate->results[0].error().errorCode, 11001);
}

TEST_F(IdentifyRunnerTest, BuildsTheReaderWithTheRequestsContext) {
  std::shared_ptr<FakeReader> built;
  request([&](FakeReader& reader, const Identify::RequestPins&) { built = reader.shared_from_this(); });
  ASSERT_TRUE(built);
  EXPECT_EQ(FakeReader::constructed, 1);
  EXPECT_EQ(built->delegate, delegate);
  EXPECT_EQ(built->context.inputPinDialogDisplaySettingGroup, PIN_TEXTS);
  EXPECT_EQ(built->context.httpConnectionTimeOut, 7.0);
  EXPECT_EQ(built->context.idetifyDelegate.lock(), std::static_pointer_cast<IdentifyDelegate>(identify));
  EXPECT_EQ(built->context.platform.get(), &identify->platform());
  // The facade keeps it as the current reader of its type; no result is delivered by the runner.
  EXPECT_EQ(identify->reader<FakeReader>(), built);
  EXPECT_TRUE(delegate->results.empty());
}

TEST_F(IdentifyRunnerTest, AnEntryMayCallBackBeforeItReturns) {
  identify->setPin(SetPinKey::MYNUMBERCARD_MYNUMBER_PIN, "123456789012");
  request([&](FakeReader& reader, const Identify::RequestPins&) {
    const auto back = reader.context.idetifyDelegate.lock();
    ASSERT_TRUE(back);
    back->didGetFailedPin(SetPinKey::MYNUMBERCARD_MYNUMBER_PIN, std::nullopt);
    back->didGetPin("");
  });
  EXPECT_FALSE(identify->hasReader());
  EXPECT_EQ(identify->pinForSigner(), "");
  EXPECT_EQ(identify->failedPinDic()->count(SetPinKey::MYNUMBERCARD_MYNUMBER_PIN), 1u);
}

TEST_F(IdentifyRunnerTest, TheNextRequestDropsThePreviousReader) {
  std::weak_ptr<FakeReader> first;
  request([&](FakeReader& reader, const Identify::RequestPins&) { first = reader.shared_from_this(); });
  EXPECT_FALSE(first.expired());
  std::shared_ptr<FakeReader> second;
  request([&](FakeReader& reader, const Identify::RequestPins&) { second = reader.shared_from_this(); });
  EXPECT_TRUE(first.expired());
  EXPECT_EQ(identify->reader<FakeReader>(), second);
}

TEST_F(IdentifyRunnerTest, AFailureTheFacadeFindsItselfGoesToTheDelegate) {
  identify->runRequest<FakeReader>(delegate, &FakeReaderDelegate::didGetFake, PIN_TEXTS, NFC_TEXTS,
                                   [](FakeReader&, const Identify::RequestPins&) -> std::optional<MyNumberInfoError> {
                                     return MyNumberInfoError::notSetAppId();
                                   });
  ASSERT_EQ(delegate->results.size(), 1u);
  EXPECT_EQ(delegate->results[0].error().errorCase(), MyNumberInfoError::Case::notSetAppId);

  identify->runRequest<FakeReader>(delegate, &FakeReaderDelegate::didGetFake, PIN_TEXTS, NFC_TEXTS,
                                   [](FakeReader&, const Identify::RequestPins&) -> std::optional<MyNumberInfoError> {
                                     return std::nullopt;
                                   });
  EXPECT_EQ(delegate->results.size(), 1u);
}

}  // namespace
}  // namespace ekyc::test
