#pragma once
// The NFC tag-reader session, as the readers use it. Each session runs every delegate callback and
// every completion on its own serial queue (one worker thread), never on the caller's thread.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Extension/Bytes.hpp"
#include "Platform/NFCISO7816APDU.hpp"
#include "Platform/NFCReaderError.hpp"

namespace ekyc {

class Platform;
class NFCTagReaderSession;
class NFCISO7816Tag;

// A detected tag. Only an ISO 7816 tag can carry commands; iso7816() is null for other tags.
class NFCTag {
 public:
  virtual ~NFCTag() = default;
  virtual std::shared_ptr<NFCISO7816Tag> iso7816() = 0;
};

class NFCISO7816Tag {
 public:
  using Completion = std::function<void(Bytes data, std::uint8_t sw1, std::uint8_t sw2,
                                        std::optional<NFCError> error)>;
  virtual ~NFCISO7816Tag() = default;
  // Sends one command. The completion runs exactly once, on the session's queue, never inside
  // this call. After the card is lost or the session has ended it gets an error and status 00 00.
  virtual void sendCommand(const NFCISO7816APDU& apdu, Completion completionHandler) = 0;
};

class NFCTagReaderSessionDelegate {
 public:
  virtual ~NFCTagReaderSessionDelegate() = default;
  virtual void tagReaderSessionDidBecomeActive(NFCTagReaderSession& session) = 0;
  virtual void tagReaderSession(NFCTagReaderSession& session,
                                const std::vector<std::shared_ptr<NFCTag>>& didDetect) = 0;
  virtual void tagReaderSession(NFCTagReaderSession& session, const NFCError& didInvalidateWithError) = 0;
};

enum class NFCPollingOption { iso14443 };

class NFCTagReaderSession {
 public:
  virtual ~NFCTagReaderSession() = default;

  // Whether the platform can read NFC tags at all.
  static bool readingAvailable(const Platform& platform);

  // A session polling with the given option; the delegate is held (strongly) until the session
  // has reported its end through didInvalidateWithError. queue must be null: the session runs its
  // own serial queue.
  static std::shared_ptr<NFCTagReaderSession> create(const Platform& platform, NFCPollingOption pollingOption,
                                                     std::shared_ptr<NFCTagReaderSessionDelegate> delegate,
                                                     void* queue = nullptr);

  // The text of the system sheet; each change reaches the platform's alert presenter.
  virtual void setAlertMessage(const std::string& message) = 0;
  virtual std::string alertMessage() const = 0;

  virtual void begin() = 0;
  virtual void connect(const std::shared_ptr<NFCTag>& tag,
                       std::function<void(std::optional<NFCError>)> completionHandler) = 0;
  // Ends the session; idempotent. Exactly one didInvalidateWithError follows the first end.
  virtual void invalidate() = 0;
  virtual void invalidate(const std::string& errorMessage) = 0;
  // Withdraws a session that has not begun: it never begins, reports nothing and lets go of its
  // delegate. False, changing nothing, once begin() has begun it (or it has ended): one call of
  // the two wins, whichever threads they run on.
  virtual bool withdraw() = 0;
};

}  // namespace ekyc
