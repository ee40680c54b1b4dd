#include "DemoContext.hpp"

#include <cstdio>
#include <unistd.h>

#include "Identify/Identify.hpp"
#include "Pin/SetPinKey.hpp"
#include "Platform/CardReader.hpp"
#include "Platform/NFCAlertPresenter.hpp"
#include "Platform/PcscCardReader.hpp"
#include "Platform/VirtualCard/VirtualCard.hpp"
#include "Platform/VirtualCard/PcscDaemon.hpp"
#include "Platform/VirtualCard/VirtualCardReader.hpp"
#include "Platform/VirtualCard/VpcdBridge.hpp"
#include "UI/InputPinDialog.hpp"
#include "UI/RunLoop.hpp"
#include "UI/TerminalViewController.hpp"

#if EKYC_HAVE_VERIFICATION_SERVER
#include "verification-server/StandardVerifiers.hpp"
#include "verification-server/VirtualIssuers.hpp"
#include "verification-server/VerificationServer.hpp"
#endif

namespace ekyc::demo {

namespace {

// The NFC sheet of a terminal host: each text is a line of progress on stderr.
class SheetPrinter : public NFCAlertPresenter {
 public:
  void present(const std::string& text) override {
    std::fprintf(stderr, "[NFC] %s\n", text.c_str());
    std::fflush(stderr);
  }
};

}  // namespace

DemoContext::DemoContext(DemoOptions options, bool readsCard)
    : options_(std::move(options)), runLoop_(std::make_shared<RunLoop>()) {
  // The dialogs go to stderr, so that stdout carries the record alone.
  viewController_ = std::make_shared<TerminalViewController>(runLoop_, STDIN_FILENO, STDERR_FILENO);
  const std::string reader = readsCard ? options_.reader : "none";
  if (reader == "pcsc") {
    platform_.cardReader = std::make_shared<PcscCardReader>();
  } else if (reader == "vpcd") {
    daemon_ = PcscDaemon::start(readerProblem_, std::chrono::seconds(60), [] {
      std::fprintf(stderr, "[demo] another process is using the private pcscd; waiting for it (at most %d minutes)\n",
                   static_cast<int>(PcscDaemon::LOCK_LIMIT.count()));
    });
    if (daemon_) platform_.cardReader = std::make_shared<PcscCardReader>(daemon_->readerName());
  } else if (reader == "virtual") {
    virtualReader_ = std::make_shared<VirtualCardReader>();
    platform_.cardReader = virtualReader_;
  }
  platform_.alertPresenter = std::make_shared<SheetPrinter>();
  platform_.verificationUrl = options_.endpoint;
  platform_.trustedCaFile = options_.caFile;
}

DemoContext::~DemoContext() {
  releaseCard();  // before vpcd and pcscd go
  platform_.cardReader.reset();  // its PC/SC context too
  virtualReader_.reset();
  bridge_.reset();
  daemon_.reset();
#if EKYC_HAVE_VERIFICATION_SERVER
  if (server_) server_->stop();
#endif
}

void DemoContext::presentCard(const CardMaker& makeCard) {
  if (virtualReader_) virtualReader_->present(makeCard());
  if (daemon_) {
    bridge_ = std::make_unique<VpcdBridge>(makeCard(), daemon_->vpcdPort());
    if (!bridge_->start()) std::fprintf(stderr, "[demo] vpcd did not take the virtual card\n");
  }
}

NFCDialogMessageSettingGroup DemoContext::nfcTexts() const {
  return {"カードをかざしてください。", "読み取り中です。カードを動かさないでください。", "読み取りが完了しました。",
          "読み取りに失敗しました。"};
}

InputPinDialogDisplaySettingGroup DemoContext::pinTexts() const {
  return {"暗証番号 1", "暗証番号 2", "暗証番号を入力してください。", "暗証番号を入力してください。",
          "暗証番号", "暗証番号", "OK", "キャンセル"};
}

void DemoContext::releaseCard() {
  identify_.reset();
  if (platform_.cardReader) platform_.cardReader->waitUntilReleased(platform_.releaseWait);
}

std::shared_ptr<Identify> DemoContext::identify() {
  if (identify_) return identify_;
  identify_ = Identify::create(viewController_, 30.0, platform_);
  for (SetPinKey key : allSetPinKeys()) {
    auto preset = options_.pins.find(toString(key));
    if (preset != options_.pins.end()) identify_->setPin(key, preset->second);
  }
  return identify_;
}

std::optional<std::string> DemoContext::pin(const std::string& slot, const std::string& title) {
  auto preset = options_.pins.find(slot);
  if (preset != options_.pins.end()) return preset->second;
  auto dialog = std::make_shared<InputPinDialog>();
  bool done = false;
  const auto texts = pinTexts();
  dialog->show(viewController_, title, texts.pin1DialogMessage, texts.pin1DialogPlaceholder, texts.dialogActionTitleOK,
               texts.dialogActionTitleCancel, "", [&done] { done = true; });
  runUntil([&done] { return done; });
  return dialog->dialogPin;
}

bool DemoContext::runUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  return runLoop_->runUntil(done, limit);
}

bool DemoContext::ensureVerificationEndpoint() {
  if (!options_.endpoint.empty()) return true;
#if EKYC_HAVE_VERIFICATION_SERVER
  if (!server_) {
    server_ = std::make_shared<VerificationServer>();
    // The virtual issuers' keys: a card that another issuer signed gets "valid": false.
    StandardVerifiers::install(*server_, virtualIssuers());
    if (!server_->start()) {
      server_.reset();
      return false;
    }
    std::fprintf(stderr, "[demo] verification stand-in at %s\n", server_->url().c_str());
  }
  platform_.verificationUrl = server_->url();
  platform_.trustedCaFile = server_->caFilePath();
  identify_.reset();  // a facade made before would hold the old platform
  return true;
#else
  return false;
#endif
}

}  // namespace ekyc::demo
