#pragma once
// A rig for the card-surface readers end to end: host run loop and scripted PIN dialog, a virtual
// card in an in-process reader, the NFC sheet texts, a back channel and result delegates that
// write into one ordered log, and (when asked) the verification stand-in on loopback.
#include <gtest/gtest.h>
#include "Support/RunLoopPump.hpp"

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "CardPrintInfo/CardPrintInfoReader.hpp"
#include "CardPrintInfoAndMyNumberInfo/CardPrintInfoAndMyNumberInfoReader.hpp"
#include "CoreNFC/IdentifyDelegate.hpp"
#include "DriverLicense/DriverLicenseInfoReader.hpp"
#include "MyNumber/MyNumberInfoReader.hpp"
#include "Platform/Platform.hpp"
#include "Platform/RecordingAlertPresenter.hpp"
#include "Platform/VirtualCard/CardSurfaceApplications.hpp"
#include "Platform/VirtualCard/VirtualCard.hpp"
#include "Platform/VirtualCard/VirtualCardContext.hpp"
#include "Platform/VirtualCard/VirtualCardReader.hpp"
#include "Platform/VirtualCard/VirtualDriverLicense.hpp"
#include "PromptedPii/PromptedPiiReader.hpp"
#include "UI/RunLoop.hpp"
#include "UI/ScriptedViewController.hpp"
#include "Utility/Utility.hpp"
#include "verification-server/CardSurfaceVerifier.hpp"
#include "verification-server/DriverLicenseVerifier.hpp"
#include "verification-server/SkiKeyRegistry.hpp"
#include "verification-server/StandardVerifiers.hpp"
#include "verification-server/VirtualIssuers.hpp"
#include "verification-server/VerificationServer.hpp"
#include "verification-server/VerifierKit.hpp"

namespace ekyc::test {

// The last text of a list, "(none)" when it is empty (never a read past the end).
inline std::string lastOf(const std::vector<std::string>& texts) { return texts.empty() ? "(none)" : texts.back(); }

// Everything that reaches the host or the facade, in order, from any thread.
class EventLog {
 public:
  void add(std::string event) {
    std::lock_guard<std::mutex> lock(mutex_);
    events_.push_back(std::move(event));
  }
  std::vector<std::string> events() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return events_;
  }
  std::size_t count(const std::string& prefix) const {
    std::lock_guard<std::mutex> lock(mutex_);
    std::size_t n = 0;
    for (const auto& e : events_) n += e.rfind(prefix, 0) == 0 ? 1 : 0;
    return n;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> events_;
};

inline std::string keyName(SetPinKey key) {
  switch (key) {
    case SetPinKey::MYNUMBERCARD_CARDPRINTINFO_PIN: return "CARDPRINTINFO";
    case SetPinKey::MYNUMBERCARD_MYNUMBER_PIN: return "MYNUMBER";
    case SetPinKey::MYNUMBERCARD_PROMPTED_PII_PIN: return "PROMPTED_PII";
    case SetPinKey::DRIVERLICENSE_PIN1: return "PIN1";
    case SetPinKey::DRIVERLICENSE_PIN2: return "PIN2";
    case SetPinKey::MYNUMBERCARD_SIGNER_PIN: return "SIGNER";
    case SetPinKey::MYNA_DRIVERLICENSE_PIN: return "MYNA_DL";
    case SetPinKey::RESIDENCECARD_PIN: return "RESIDENCECARD";
    default: return "OTHER";
  }
}

class LoggingBackChannel : public IdentifyDelegate {
 public:
  explicit LoggingBackChannel(std::shared_ptr<EventLog> log) : log_(std::move(log)) {}
  void didGetPin(const std::string& pin) override { log_->add("didGetPin(" + pin + ")"); }
  void didClearInstance() override { log_->add("didClearInstance"); }
  void didGetFailedPin(SetPinKey key, std::optional<int> n) override {
    log_->add("didGetFailedPin(" + keyName(key) + "," + (n ? std::to_string(*n) : "nil") + ")");
  }

 private:
  std::shared_ptr<EventLog> log_;
};

// A result delegate that logs "result(ok)" or "result(<code>)" and keeps the last result.
template <class Record, class Error>
class LoggingResults {
 public:
  explicit LoggingResults(std::shared_ptr<EventLog> log) : log_(std::move(log)) {}
  // Runs in the delegate call, before it returns (to look at what the host sees at that moment).
  std::function<void()> onResult;
  void record(const std::expected<Record, Error>& result) {
    if (onResult) onResult();
    {
      std::lock_guard<std::mutex> lock(mutex_);
      results_.push_back(result);
    }
    log_->add(result ? "result(ok)" : "result(" + std::to_string(result.error().errorCode) + ")");
  }
  std::vector<std::expected<Record, Error>> results() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return results_;
  }
  // The last result; throws (the test fails with a message and goes on) when none has arrived.
  std::expected<Record, Error> lastOrThrow() const {
    if (auto r = last()) return *r;
    throw std::runtime_error("no result was delivered");
  }
  std::optional<std::expected<Record, Error>> last() const {
    std::lock_guard<std::mutex> lock(mutex_);
    if (results_.empty()) return std::nullopt;
    return results_.back();
  }

 private:
  std::shared_ptr<EventLog> log_;
  mutable std::mutex mutex_;
  std::vector<std::expected<Record, Error>> results_;
};

class MyNumberResults : public MyNumberInfoReaderDelegate, public LoggingResults<MyNumberInfo, MyNumberInfoError> {
 public:
  using LoggingResults::LoggingResults;
  void didGetMyNumberInfo(const std::expected<MyNumberInfo, MyNumberInfoError>& result) override { record(result); }
};
class CardPrintResults : public CardPrintInfoReaderDelegate, public LoggingResults<CardPrintInfo, CardPrintInfoError> {
 public:
  using LoggingResults::LoggingResults;
  void didGetCardPrintInfo(const std::expected<CardPrintInfo, CardPrintInfoError>& result) override { record(result); }
};
class PromptedPiiResults : public PromptedPiiReaderDelegate, public LoggingResults<PromptedPii, PromptedPiiError> {
 public:
  using LoggingResults::LoggingResults;
  void didGetPromptedPii(const std::expected<PromptedPii, PromptedPiiError>& result) override { record(result); }
};
class BothResults : public CardPrintInfoAndMyNumberInfoReaderDelegate,
                    public LoggingResults<CardPrintInfoAndMyNumberInfo, CardPrintInfoAndMyNumberInfoError> {
 public:
  using LoggingResults::LoggingResults;
  void didGetCardPrintInfoAndGetMyNumber(
      const std::expected<CardPrintInfoAndMyNumberInfo, CardPrintInfoAndMyNumberInfoError>& result) override {
    record(result);
  }
};
class DriverLicenseResults : public DriverLicenseInfoReaderDelegate,
                             public LoggingResults<DriverLicense, DriverLicenseError> {
 public:
  using LoggingResults::LoggingResults;
  void didGetDriverLicense(const std::expected<DriverLicense, DriverLicenseError>& result) override { record(result); }
};

inline bool eventuallyTrue(const std::function<bool()>& condition,
                           std::chrono::milliseconds limit = std::chrono::seconds(10)) {
  const auto until = std::chrono::steady_clock::now() + limit;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

// The NFC sheet texts and PIN dialog texts every test uses.
inline NFCDialogMessageSettingGroup nfcTexts() { return {"initial", "reading", "success", "error"}; }
inline InputPinDialogDisplaySettingGroup pinTexts() {
  return {"title1", "title2", "message1", "message2", "placeholder1", "placeholder2", "OK", "Cancel"};
}

class CardSurfaceRig {
 public:
  std::shared_ptr<EventLog> log = std::make_shared<EventLog>();
  std::shared_ptr<RunLoop> runLoop = std::make_shared<RunLoop>();
  std::shared_ptr<ScriptedViewController> viewController = std::make_shared<ScriptedViewController>(runLoop);
  std::shared_ptr<VirtualCardReader> cardReader = std::make_shared<VirtualCardReader>();
  std::shared_ptr<RecordingAlertPresenter> alerts = std::make_shared<RecordingAlertPresenter>();
  std::shared_ptr<LoggingBackChannel> backChannel = std::make_shared<LoggingBackChannel>(log);
  CardSurfaceHolder holder = CardSurfaceHolder::sample();
  CardSurfaceFiles files = CardSurfaceFiles::build(holder, CardSurfaceKeys::shared());
  std::shared_ptr<VirtualCard> card;
  std::unique_ptr<VerificationServer> server;
  Platform platform;

  CardSurfaceRig() {
    platform.cardReader = cardReader;
    platform.alertPresenter = alerts;
    platform.verificationUrl = "https://127.0.0.1:1/signature/verification";  // nothing listens
  }
  ~CardSurfaceRig() {
    if (server) server->stop();
  }

  // Makes the card from `files` (change them first to play a tampered card) and puts it in the field.
  VirtualCard& presentCard() {
    CardSurfaceApplications::Options options;
    options.holder = holder;
    card = CardSurfaceApplications::makeCard(files, options);
    cardReader->present(card);
    return *card;
  }

  // The IC driving licence: its files (change them first to play another card) and options.
  DriverLicenseFiles licenceFiles = DriverLicenseFiles::sample();
  VirtualDriverLicense::Options licenceOptions;

  VirtualCard& presentLicence() {
    card = VirtualDriverLicense::makeCard(licenceFiles, licenceOptions);
    cardReader->present(card);
    return *card;
  }

  // Starts the stand-in with the card-surface verifiers (checking the virtual issuer too) and the
  // licence verifier (the virtual licence issuer known by its SKI).
  VerificationServer& startServer() {
    server = std::make_unique<VerificationServer>();
    EXPECT_TRUE(server->start());
    StandardVerifiers::install(*server, virtualIssuers());
    platform.verificationUrl = server->url();
    platform.trustedCaFile = server->caFilePath();
    return *server;
  }

  ReaderContext context(double httpTimeout = 10.0) {
    ReaderContext c;
    c.uIViewController = viewController;
    c.inputPinDialogDisplaySettingGroup = pinTexts();
    c.nfcDialogMessageSettingGroup = nfcTexts();
    c.idetifyDelegate = backChannel;
    c.httpConnectionTimeOut = httpTimeout;
    c.platform = std::make_shared<const Platform>(platform);
    return c;
  }

  // Runs one request: builds the reader, calls `entry` on the host thread, runs the host loop
  // until the reader is gone (every completion and callback has let go of it).
  template <class Reader, class Delegate>
  void run(const std::shared_ptr<Delegate>& delegate, const std::function<void(Reader&)>& entry,
           double httpTimeout = 10.0, std::chrono::milliseconds limit = std::chrono::seconds(20)) {
    std::weak_ptr<Reader> watch;
    runLoop->post([&] {
      auto reader = std::make_shared<Reader>(delegate, context(httpTimeout));
      watch = reader;
      entry(*reader);
    });
    const bool finished = ::ekyc::test::pumpUntil(*runLoop, [&] { return watch.expired() && runLoop->pendingCount() == 0; }, limit);
    EXPECT_TRUE(finished) << "the request did not finish";
  }

  // Answers every PIN dialog shown so far with OK and `pin`, lets what that starts run to its end,
  // and gives how many commands reached the card meanwhile: none, when every request that showed
  // a dialog was left.
  std::size_t commandsAfterAnsweringEveryDialog(const std::string& pin) {
    const auto sent = card->commands().size();
    for (const auto& alert : viewController->alerts()) {
      alert->textFields().front().text = pin;
      alert->tap(*alert->actionIndex(AlertActionStyle::defaultStyle));
    }
    runLoop->runUntilIdle(std::chrono::milliseconds(50), std::chrono::seconds(5));
    EXPECT_TRUE(::ekyc::test::pumpUntil(*runLoop, [&] { return cardReader->activeSessionCount() == 0; },
                                        std::chrono::seconds(10)));
    return card->commands().size() - sent;
  }

  // The commands the card received, as upper-case hex.
  std::vector<std::string> commands() const {
    std::vector<std::string> out;
    if (!card) return out;
    for (const auto& c : card->commands()) out.push_back(Utility().dataToHexString(c));
    return out;
  }
};

// Command encodings of the chains.
inline std::string selectAid(bool inputSupport) {
  return inputSupport ? "00A4040C0AD3921000310001010408" : "00A4040C0AD3921000310001010402";
}
inline std::string selectEf(const std::string& id) { return "00A4020C02" + id; }
inline std::string verify(const std::string& pin) {
  return "00200080" + Utility().dataToHexString(Bytes{static_cast<std::uint8_t>(pin.size())}) +
         Utility().dataToHexString(toBytes(pin));
}
// READ BINARY with Le in the short form (00 for 256) or, above 256, the extended form.
inline std::string read(std::size_t le) {
  const Bytes leField = le <= 256 ? Bytes{std::uint8_t(le)} : Bytes{0, std::uint8_t(le >> 8), std::uint8_t(le)};
  return "00B00000" + Utility().dataToHexString(leField);
}

}  // namespace ekyc::test
