#pragma once
// What the example host gives a request: its options, the platform with the chosen reader, the
// host's run loop and terminal view controller, the sheet and dialog texts, preset PINs, the
// facade, and (when asked) the verification endpoint.
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "Platform/Platform.hpp"
#include "UI/InputPinDialogDisplaySettingGroup.hpp"
#include "UI/NFCDialogMessageSettingGroup.hpp"

namespace ekyc {
class Identify;
class RunLoop;
class ViewController;
class VirtualCard;
class VirtualCardReader;
class VerificationServer;
class PcscDaemon;
class VpcdBridge;
}  // namespace ekyc

namespace ekyc::demo {

// The PIN slot of the virtual sample card (apdu-chain), beside the facade's SetPinKey names.
inline constexpr const char* SAMPLE_PIN_SLOT = "SAMPLE_PIN";

struct DemoOptions {
  std::string request;
  // virtual: in-process; pcsc: the first PC/SC reader; vpcd: the request's virtual card served
  // through a pcscd of the demo's own and read back over PC/SC.
  std::string reader = "virtual";
  std::map<std::string, std::string> pins;     // slot name -> PIN, from --pin SLOT=VALUE
  std::optional<std::string> appId;
  std::string endpoint;                        // empty: the local stand-in when one is needed
                                               // (the command line refuses an empty --endpoint)
  std::string caFile;
};

class DemoContext {
 public:
  // A context for a request that reads no card sets up no reader (and so starts no pcscd).
  DemoContext(DemoOptions options, bool readsCard);
  ~DemoContext();

  // Why the chosen reader cannot work here (empty when it can): pcscd cannot run for vpcd.
  const std::string& readerProblem() const { return readerProblem_; }

  const DemoOptions& options() const { return options_; }
  const std::optional<std::string>& appId() const { return options_.appId; }

  // The platform every session of the request runs on.
  const Platform& platform() const { return platform_; }
  const std::shared_ptr<RunLoop>& runLoop() const { return runLoop_; }
  const std::shared_ptr<ViewController>& viewController() const { return viewController_; }

  // Makes the request's virtual card and puts it in the virtual reader's field (or serves it to
  // vpcd). With a PC/SC reader the card is the one held to the reader: nothing is made (a virtual
  // card's keys are the slow part of a run).
  using CardMaker = std::function<std::shared_ptr<VirtualCard>()>;
  void presentCard(const CardMaker& makeCard);

  NFCDialogMessageSettingGroup nfcTexts() const;
  InputPinDialogDisplaySettingGroup pinTexts() const;

  // The facade on this platform and view controller, with the preset PINs of known slots set.
  std::shared_ptr<Identify> identify();
  // Lets go of the facade and returns once every session on the reader has reset the card and let
  // it go (at most the platform's releaseWait), so that the reader can be stopped.
  void releaseCard();
  // A preset PIN (--pin SLOT=VALUE), or one asked for on the terminal without echo; absent when
  // the dialog was cancelled (end of input).
  std::optional<std::string> pin(const std::string& slot, const std::string& title);

  // Runs the host's run loop until `done` holds; false after the limit.
  bool runUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = std::chrono::minutes(3));

  // Makes sure verification requests have an endpoint: --endpoint as given, else the stand-in
  // started in this process on loopback (when the demo is built with it). False when there is none.
  bool ensureVerificationEndpoint();

 private:
  DemoOptions options_;
  Platform platform_;
  std::shared_ptr<VirtualCardReader> virtualReader_;
  std::unique_ptr<PcscDaemon> daemon_;
  std::unique_ptr<VpcdBridge> bridge_;
  std::string readerProblem_;
  std::shared_ptr<RunLoop> runLoop_;
  std::shared_ptr<ViewController> viewController_;
  std::shared_ptr<Identify> identify_;
  std::shared_ptr<VerificationServer> server_;
};

}  // namespace ekyc::demo
