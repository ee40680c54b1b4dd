#pragma once
// What the host hands to Identify beside its view controller and HTTPS time-out: the NFC reader,
// the clock, the random source, the verification endpoint with its TLS trust, and where the NFC
// sheet texts go. No singletons: every request reaches the platform through this object.
#include <chrono>
#include <memory>
#include <string>

namespace ekyc {

class CardReader;
class Clock;
class RandomSource;
class NFCAlertPresenter;

class Platform {
 public:
  // The reader behind every NFC session; null when the device cannot read NFC tags.
  std::shared_ptr<CardReader> cardReader;
  // Date and time; null means the system clock.
  std::shared_ptr<Clock> clock;
  // Random bytes; null means OpenSSL's generator.
  std::shared_ptr<RandomSource> random;
  // The verification endpoint; empty means Const().SIGNATURE_VERIFICATION_URL.
  std::string verificationUrl;
  // A PEM file of CA certificates to trust for HTTPS; empty means the system trust store.
  std::string trustedCaFile;
  // Receives the NFC sheet texts; may be null.
  std::shared_ptr<NFCAlertPresenter> alertPresenter;
  // How long a session waits before it ends with the time-out error (201).
  std::chrono::milliseconds sessionTimeout{std::chrono::seconds(60)};
  // How long letting go of the facade waits at most for the card reader's sessions to reset the
  // card and let it go.
  std::chrono::milliseconds releaseWait{std::chrono::seconds(5)};
};

}  // namespace ekyc
