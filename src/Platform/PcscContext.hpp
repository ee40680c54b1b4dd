#pragma once
// A pcsc-lite resource-manager context, released when the last holder lets go (on every path).
//
// pcsc-lite keeps one table of reader states for the whole process, which listing the readers and
// waiting for a change both refill from the service and read, under their own context's lock only:
// two contexts (a session's wait, another thread's availability check) would write it at once. So
// readers() and waitForChange() take turns across every context of the process, in the order they
// asked; a caller keeps its waits short, as a listing waits for the waits ahead of it.
#include <memory>
#include <string>
#include <vector>

#include <PCSC/winscard.h>

namespace ekyc {

class PcscContext {
 public:
  // Establishes a context; null with the reason in `error` when the service cannot be reached.
  static std::shared_ptr<PcscContext> establish(LONG* error = nullptr);
  ~PcscContext();
  PcscContext(const PcscContext&) = delete;
  PcscContext& operator=(const PcscContext&) = delete;

  SCARDCONTEXT handle() const { return handle_; }
  // Ends a blocking waitForChange on this context (callable from any thread).
  void cancel() const;
  // Waits on this context until the reader's state is other than `state` says, or for `timeoutMs`
  // (SCardGetStatusChange for one reader, with its result code).
  LONG waitForChange(SCARD_READERSTATE& state, DWORD timeoutMs) const;

  // The names of the readers, in the order the service lists them; empty when there are none.
  std::vector<std::string> readers(LONG* error = nullptr) const;

  // pcsc-lite's text for a result code.
  static std::string describe(LONG result);

 private:
  explicit PcscContext(SCARDCONTEXT handle) : handle_(handle) {}
  SCARDCONTEXT handle_;
};

}  // namespace ekyc
