#pragma once
// The NFC sessions one facade's requests began, held weakly: letting go of the facade waits for
// these to let the card go, and for no other session on the same card reader.
#include <memory>
#include <mutex>
#include <vector>

namespace ekyc {

class NFCTagReaderSession;

class SessionLedger {
 public:
  // Records a session a request created (before it begins).
  void add(const std::shared_ptr<NFCTagReaderSession>& session);
  // The recorded sessions that still exist (one that no longer exists has let the card go).
  std::vector<std::shared_ptr<NFCTagReaderSession>> sessions() const;

 private:
  mutable std::mutex mutex_;
  std::vector<std::weak_ptr<NFCTagReaderSession>> sessions_;
};

}  // namespace ekyc
