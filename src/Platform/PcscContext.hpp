#pragma once
// A pcsc-lite resource-manager context, released when the last holder lets go (on every path).
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
  // Ends a blocking SCardGetStatusChange on this context (callable from any thread).
  void cancel() const;

  // The names of the readers, in the order the service lists them; empty when there are none.
  std::vector<std::string> readers(LONG* error = nullptr) const;

  // pcsc-lite's text for a result code.
  static std::string describe(LONG result);

 private:
  explicit PcscContext(SCARDCONTEXT handle) : handle_(handle) {}
  SCARDCONTEXT handle_;
};

}  // namespace ekyc
